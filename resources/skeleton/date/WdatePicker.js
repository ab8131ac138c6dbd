/*
 * date/WdatePicker.js -- the site's date picker.
 *
 * Usage on a page:
 *   <script type="text/javascript" src="../date/WdatePicker.js"></script>
 *   <input name="S_4" id="S_4" class="Wdate" value="2024-05-01" onclick="WdatePicker()">
 * WdatePicker() opens a calendar under the input that was clicked (or focused); picking
 * a day writes it into that input as yyyy-mm-dd and closes the calendar. The calendar
 * opens on the month of the date already in the input (yyyy-mm-dd, yyyy/m/d), else on
 * today. WdatePicker({el: "S_4"}) names the input explicitly (an id or the element).
 * Loading the script also adds the style of input.Wdate (a calendar icon on the right)
 * and of the calendar itself, so pages need nothing else.
 *
 * Stable hooks for tests and page scripts:
 *   #WdateDiv                 the calendar (one per page, created on first use;
 *                             hidden with style.display "none")
 *   #WdateDiv[data-month]     the month shown, "yyyy-mm"
 *   #wd-title                 the title, e.g. "2024年05月"
 *   #wd-prev-year #wd-prev-month #wd-next-month #wd-next-year   navigation buttons
 *   td.wd-day[data-date="yyyy-mm-dd"]   one cell per day of the six weeks shown;
 *                             class wd-other for days of the neighbouring months,
 *                             wd-today for today, wd-selected for the input's date
 *   #wd-today                 the "今天" button: picks today's date
 *   #wd-clear                 the "清空" button: empties the input
 *   #wd-close                 the "关闭" button
 * After a pick or a clear the input gets "input" and "change" events. Escape or a click
 * outside the calendar closes it without changing the input.
 * Script interface: WdatePicker(options), WdatePicker.hide(), WdatePicker.format(date).
 */
(function (window, document) {
	"use strict";

	if (window.WdatePicker) {
		return;   // the script is included twice on one page
	}

	// Chinese texts as escapes: the script must work whatever encoding serves it.
	var TEXT_YEAR = "\u5e74";                                   // 年
	var TEXT_MONTH = "\u6708";                                  // 月
	var TEXT_TODAY = "\u4eca\u5929";                            // 今天
	var TEXT_CLEAR = "\u6e05\u7a7a";                            // 清空
	var TEXT_CLOSE = "\u5173\u95ed";                            // 关闭
	var WEEKDAYS = ["\u65e5", "\u4e00", "\u4e8c", "\u4e09", "\u56db", "\u4e94", "\u516d"];   // 日 一 … 六
	var TEXT_PREV_YEAR = "\u4e0a\u4e00\u5e74";                  // 上一年
	var TEXT_PREV_MONTH = "\u4e0a\u4e2a\u6708";                 // 上个月
	var TEXT_NEXT_MONTH = "\u4e0b\u4e2a\u6708";                 // 下个月
	var TEXT_NEXT_YEAR = "\u4e0b\u4e00\u5e74";                  // 下一年

	var panel = null;      // #WdateDiv
	var input = null;      // the input being edited
	var shown = null;      // {year, month} on display, month 0-11

	function scriptFolder() {
		var scripts = document.getElementsByTagName("script");
		for (var i = scripts.length - 1; i >= 0; i--) {
			var src = scripts[i].getAttribute("src") || "";
			if (/(^|\/)WdatePicker\.js(\?|$)/i.test(src)) {
				return src.replace(/WdatePicker\.js.*$/i, "");
			}
		}
		return "../date/";
	}

	function addStyle() {
		var folder = scriptFolder();
		var css =
			"input.Wdate{padding-right:20px;border:1px solid #9EBEDF;cursor:pointer;" +
			"background:#FFFFFF url(" + folder + "skin/datePicker.gif) no-repeat right center;}" +
			"#WdateDiv{position:absolute;z-index:10000;width:218px;padding:4px;border:1px solid #3C78B4;" +
			"background:#FFFFFF;box-shadow:0 3px 10px rgba(31,78,121,0.3);font:12px/1.5 SimSun,Tahoma,sans-serif;" +
			"color:#1A1A1A;-webkit-user-select:none;user-select:none;}" +
			"#WdateDiv table{border-collapse:collapse;width:100%;}" +
			"#WdateDiv .wd-head td{text-align:center;padding:2px 0;}" +
			"#WdateDiv .wd-head button{width:24px;height:20px;padding:0;border:1px solid #C4D8ED;background:#E8F0F8;" +
			"color:#1F4E79;cursor:pointer;font:12px SimSun,Tahoma,sans-serif;}" +
			"#WdateDiv .wd-head button:hover{background:#FFF6D5;border-color:#3C78B4;}" +
			"#wd-title{font-weight:bold;color:#1F4E79;}" +
			"#WdateDiv th{height:20px;background:#C4D8ED;color:#1F4E79;font-weight:normal;text-align:center;}" +
			"#WdateDiv td.wd-day{height:22px;text-align:center;cursor:pointer;border:1px solid #FFFFFF;}" +
			"#WdateDiv td.wd-day:hover{background:#FFF6D5;border-color:#E8CF8A;}" +
			"#WdateDiv td.wd-other{color:#AAAAAA;}" +
			"#WdateDiv td.wd-weekend{color:#C83232;}" +
			"#WdateDiv td.wd-other.wd-weekend{color:#E0A0A0;}" +
			"#WdateDiv td.wd-today{font-weight:bold;border-color:#3C78B4;}" +
			"#WdateDiv td.wd-selected{background:#3C78B4;color:#FFFFFF;}" +
			"#WdateDiv .wd-foot{text-align:right;padding-top:4px;border-top:1px solid #C4D8ED;margin-top:2px;}" +
			"#WdateDiv .wd-foot button{margin-left:4px;height:20px;padding:0 6px;border:1px solid #9EBEDF;" +
			"background:#F4F8FC;color:#1F4E79;cursor:pointer;font:12px SimSun,Tahoma,sans-serif;}" +
			"#WdateDiv .wd-foot button:hover{background:#FFF6D5;border-color:#3C78B4;}";
		var style = document.createElement("style");
		style.type = "text/css";
		if (style.styleSheet) {
			style.styleSheet.cssText = css;   // old IE
		} else {
			style.appendChild(document.createTextNode(css));
		}
		var head = document.getElementsByTagName("head")[0] || document.documentElement;
		head.appendChild(style);
	}

	function pad(n) {
		return n < 10 ? "0" + n : String(n);
	}

	function format(date) {
		return date.getFullYear() + "-" + pad(date.getMonth() + 1) + "-" + pad(date.getDate());
	}

	// "2024-05-01", "2024/5/1", "2024-05-01 10:20:00" -> Date; anything else -> null
	function parse(text) {
		var m = /^\s*(\d{4})[-\/.](\d{1,2})[-\/.](\d{1,2})/.exec(text || "");
		if (!m) {
			return null;
		}
		var year = +m[1], month = +m[2] - 1, day = +m[3];
		var date = new Date(year, month, day);
		if (date.getFullYear() !== year || date.getMonth() !== month || date.getDate() !== day) {
			return null;
		}
		return date;
	}

	function on(element, type, handler) {
		if (element.addEventListener) {
			element.addEventListener(type, handler, false);
		} else {
			element.attachEvent("on" + type, handler);
		}
	}

	function fire(element, type) {
		var event;
		if (typeof Event === "function") {
			event = new Event(type, { bubbles: true });
		} else if (document.createEvent) {
			event = document.createEvent("HTMLEvents");
			event.initEvent(type, true, false);
		}
		if (event) {
			element.dispatchEvent(event);
		} else if (element.fireEvent && type === "change") {
			element.fireEvent("onchange");
		}
	}

	function button(id, text, title) {
		return '<button type="button" id="' + id + '"' + (title ? ' title="' + title + '"' : "") + ">" + text + "</button>";
	}

	function render() {
		var today = new Date();
		var todayText = format(today);
		var selected = parse(input ? input.value : "");
		var selectedText = selected ? format(selected) : "";
		var first = new Date(shown.year, shown.month, 1);
		var start = new Date(shown.year, shown.month, 1 - first.getDay());
		var html = [];
		html.push('<table class="wd-head"><tr>');
		html.push("<td>" + button("wd-prev-year", "&laquo;", TEXT_PREV_YEAR) + "</td>");
		html.push("<td>" + button("wd-prev-month", "&lsaquo;", TEXT_PREV_MONTH) + "</td>");
		html.push('<td id="wd-title">' + shown.year + TEXT_YEAR + pad(shown.month + 1) + TEXT_MONTH + "</td>");
		html.push("<td>" + button("wd-next-month", "&rsaquo;", TEXT_NEXT_MONTH) + "</td>");
		html.push("<td>" + button("wd-next-year", "&raquo;", TEXT_NEXT_YEAR) + "</td>");
		html.push("</tr></table>");
		html.push('<table class="wd-days"><tr>');
		for (var w = 0; w < 7; w++) {
			html.push("<th>" + WEEKDAYS[w] + "</th>");
		}
		html.push("</tr>");
		for (var row = 0; row < 6; row++) {
			html.push("<tr>");
			for (var col = 0; col < 7; col++) {
				var day = new Date(start.getFullYear(), start.getMonth(), start.getDate() + row * 7 + col);
				var text = format(day);
				var classes = ["wd-day"];
				if (day.getMonth() !== shown.month) {
					classes.push("wd-other");
				}
				if (col === 0 || col === 6) {
					classes.push("wd-weekend");
				}
				if (text === todayText) {
					classes.push("wd-today");
				}
				if (text === selectedText) {
					classes.push("wd-selected");
				}
				html.push('<td class="' + classes.join(" ") + '" data-date="' + text + '">' + day.getDate() + "</td>");
			}
			html.push("</tr>");
		}
		html.push("</table>");
		html.push('<div class="wd-foot">' + button("wd-clear", TEXT_CLEAR) + button("wd-today", TEXT_TODAY) +
			button("wd-close", TEXT_CLOSE) + "</div>");
		panel.innerHTML = html.join("");
		panel.setAttribute("data-month", shown.year + "-" + pad(shown.month + 1));
	}

	function move(months) {
		var date = new Date(shown.year, shown.month + months, 1);
		shown = { year: date.getFullYear(), month: date.getMonth() };
		render();
	}

	function pick(text) {
		if (input) {
			input.value = text;
			fire(input, "input");
			fire(input, "change");
		}
		hide();
	}

	function onPanelClick(e) {
		e = e || window.event;
		var target = e.target || e.srcElement;
		while (target && target !== panel) {
			if (target.tagName === "TD" && /\bwd-day\b/.test(target.className)) {
				pick(target.getAttribute("data-date"));
				return;
			}
			switch (target.id) {
				case "wd-prev-year": move(-12); return;
				case "wd-prev-month": move(-1); return;
				case "wd-next-month": move(1); return;
				case "wd-next-year": move(12); return;
				case "wd-today": pick(format(new Date())); return;
				case "wd-clear": pick(""); return;
				case "wd-close": hide(); return;
			}
			target = target.parentNode;
		}
	}

	function ensurePanel() {
		if (panel) {
			return;
		}
		panel = document.createElement("div");
		panel.id = "WdateDiv";
		panel.style.display = "none";
		document.body.appendChild(panel);
		on(panel, "click", onPanelClick);
		on(panel, "mousedown", function (e) {
			e = e || window.event;
			if (e.stopPropagation) {
				e.stopPropagation();
			} else {
				e.cancelBubble = true;
			}
		});
		on(document, "mousedown", function (e) {
			e = e || window.event;
			var target = e.target || e.srcElement;
			if (panel.style.display !== "none" && target !== input) {
				hide();
			}
		});
		on(document, "keydown", function (e) {
			e = e || window.event;
			if ((e.key === "Escape" || e.keyCode === 27) && panel.style.display !== "none") {
				hide();
			}
		});
	}

	function place() {
		var rect = input.getBoundingClientRect();
		var scrollX = window.pageXOffset || document.documentElement.scrollLeft || document.body.scrollLeft || 0;
		var scrollY = window.pageYOffset || document.documentElement.scrollTop || document.body.scrollTop || 0;
		var left = rect.left + scrollX;
		var top = rect.bottom + scrollY + 2;
		var viewWidth = window.innerWidth || document.documentElement.clientWidth;
		var viewHeight = window.innerHeight || document.documentElement.clientHeight;
		var width = panel.offsetWidth, height = panel.offsetHeight;
		if (rect.left + width > viewWidth) {
			left = Math.max(scrollX, scrollX + viewWidth - width - 2);
		}
		if (rect.bottom + height + 2 > viewHeight && rect.top - height - 2 >= 0) {
			top = rect.top + scrollY - height - 2;   // no room below: open above the input
		}
		panel.style.left = left + "px";
		panel.style.top = top + "px";
	}

	function targetOf(options) {
		if (options && options.el) {
			return typeof options.el === "string" ? document.getElementById(options.el) : options.el;
		}
		var event = window.event;
		var target = event ? (event.target || event.srcElement) : null;
		if (target && target.tagName === "INPUT") {
			return target;
		}
		var active = document.activeElement;
		return active && active.tagName === "INPUT" ? active : null;
	}

	function WdatePicker(options) {
		var target = targetOf(options);
		if (!target) {
			return;
		}
		ensurePanel();
		input = target;
		var date = parse(input.value) || new Date();
		shown = { year: date.getFullYear(), month: date.getMonth() };
		render();
		panel.style.display = "block";
		place();
	}

	function hide() {
		if (panel) {
			panel.style.display = "none";
		}
		input = null;
	}

	WdatePicker.hide = hide;
	WdatePicker.format = format;
	window.WdatePicker = WdatePicker;
	addStyle();
})(window, document);
