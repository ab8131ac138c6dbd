<%
'==========================================================================
' inc/clean_html.asp —— 富文本（HTML 编辑器提交的内容）的清理
'
'   SiteCleanHtml(html)   只留白名单里的标签和属性；别的标签去掉（脚本、样式表、框架、
'                         插件这些连同内容一起去掉），注释去掉，文字里的 < > 写成 &lt; &gt;
'
' 结果是这里重新拼出来的：标签名取自白名单；属性值先按 HTML5 的规则解开字符引用
' （&#106; &#x6A &Tab; &colon; ……，带不带分号都照浏览器的做法），判断之后再转义写回，
' 所以浏览器看到的属性值正是这里判断过的值。地址只许 http:、https:、mailto:（只用于链接）、
' 相对地址和 # 开头的片段，判断前去掉空白和控制字符。style 里有 url(、expression、
' CSS 转义（\）、注释或 @import 等时整个 style 去掉。
' 用时与长度成正比：一次正则扫描把全文切成标签和文字，各段放进数组，最后 Join；
' 不成标签的 < 不算一段，随文字一起转义。
'==========================================================================

Dim SiteCleanAttributeRe, SiteCleanReferenceRe, SiteCleanSpaceRe, SiteCleanStyleRe, SiteCleanWideRe

Function SiteCleanHtml(html)
	Dim re, text, matches, m, found, parts, count, last, skipping, closing, tagName, allowed
	text = html & ""
	SiteCleanPrepare
	Set re = New RegExp
	re.Global = True
	re.IgnoreCase = True
	' 注释 | 标签：属性里引号外没有 < >，引号内也没有，扫描停在下一个 < 或 > 处，不回头重扫。
	' 不成标签的 < > 留在标签之间的文字里，文字里的 < > 写成 &lt; &gt;，别的（包括字符引用）照原样
	re.Pattern = "<!--[\s\S]*?(-->|$)|<(/?)([a-zA-Z][a-zA-Z0-9]*)((?:""[^""<>]*""|'[^'<>]*'|[^""'<>])*)>"
	Set matches = re.Execute(text)
	ReDim parts(matches.Count * 2 + 1)
	count = 0
	last = 1
	skipping = ""
	For Each m In matches
		If skipping = "" Then
			parts(count) = Replace(Replace(Mid(text, last, m.FirstIndex + 1 - last), "<", "&lt;"), ">", "&gt;")
			count = count + 1
		End If
		last = m.FirstIndex + 1 + m.Length
		Set found = m.SubMatches
		tagName = LCase(found(2) & "")
		If tagName <> "" Then
			closing = (found(1) = "/")
			If skipping <> "" Then
				If closing And tagName = skipping Then skipping = ""
			ElseIf SiteDropsContent(tagName) Then
				If Not closing Then skipping = tagName
			Else
				allowed = SiteAllowedAttributes(tagName)
				If allowed <> "" Then
					If Not closing Then
						parts(count) = "<" & tagName & SiteCleanAttributes(allowed, found(3) & "") & ">"
						count = count + 1
					ElseIf tagName <> "br" And tagName <> "hr" And tagName <> "img" Then
						parts(count) = "</" & tagName & ">"
						count = count + 1
					End If
				End If
			End If
		End If
	Next
	If skipping = "" Then parts(count) = Replace(Replace(Mid(text, last), "<", "&lt;"), ">", "&gt;")
	SiteCleanHtml = Join(parts, "")
End Function

Sub SiteCleanPrepare()
	If IsObject(SiteCleanAttributeRe) Then Exit Sub
	Set SiteCleanAttributeRe = New RegExp
	SiteCleanAttributeRe.Global = True
	SiteCleanAttributeRe.Pattern = "([^\s""'<>/=]+)(?:\s*=\s*(""[^""]*""|'[^']*'|[^\s""'<>]+))?"
	Set SiteCleanReferenceRe = New RegExp
	SiteCleanReferenceRe.Global = True
	SiteCleanReferenceRe.Pattern = "&(#[xX]([0-9a-fA-F]+);?|#([0-9]+);?|([a-zA-Z][a-zA-Z0-9]*)(;?))"
	Set SiteCleanSpaceRe = New RegExp
	SiteCleanSpaceRe.Global = True
	SiteCleanSpaceRe.Pattern = "[\x00-\x20\x7f-\x9f]+"
	Set SiteCleanStyleRe = New RegExp
	SiteCleanStyleRe.IgnoreCase = True
	SiteCleanStyleRe.Pattern = "url\(|expression|\\|/\*|@import|javascript:|vbscript:|behavior|binding|image-set\(|image\(|<"
	Set SiteCleanWideRe = New RegExp
	SiteCleanWideRe.Global = True
	SiteCleanWideRe.Pattern = "[\ud800-\udbff][\udc00-\udfff]|[^\x00-\x7f]"
End Sub

' 这些元素的内容也不要（脚本、样式、框架、插件，以及浏览器当作纯文字读的元素）
Function SiteDropsContent(tagName)
	Select Case tagName
	Case "script", "style", "iframe", "frame", "frameset", "object", "embed", "applet", "noscript", "xml", _
		"template", "textarea", "title", "xmp", "noembed", "noframes", "plaintext", "svg", "math"
		SiteDropsContent = True
	Case Else
		SiteDropsContent = False
	End Select
End Function

' 富文本白名单：标签名 -> 可留的属性
Function SiteAllowedAttributes(tagName)
	Select Case tagName
	Case "p", "div", "span", "br", "hr", "b", "strong", "i", "em", "u", "s", "strike", "sub", "sup", _
		"ul", "ol", "li", "blockquote", "pre", "code", "h1", "h2", "h3", "h4", "h5", "h6", "center", _
		"table", "thead", "tbody", "tr", "td", "th", "caption"
		SiteAllowedAttributes = "|align|style|class|colspan|rowspan|width|height|border|cellpadding|cellspacing|valign|"
	Case "font"
		SiteAllowedAttributes = "|color|size|face|style|"
	Case "a"
		SiteAllowedAttributes = "|href|title|target|"
	Case "img"
		SiteAllowedAttributes = "|src|alt|title|width|height|border|align|"
	Case Else
		SiteAllowedAttributes = ""
	End Select
End Function

' 白名单里的属性，每个名字只看第一次出现的（浏览器也只认第一个），值判断后转义写回
Function SiteCleanAttributes(allowed, attributeText)
	Dim m, name, value, seen, result, keep
	seen = "|"
	result = ""
	SiteCleanAttributes = ""
	If InStr(attributeText, "=") = 0 Then Exit Function
	For Each m In SiteCleanAttributeRe.Execute(attributeText)
		name = LCase(m.SubMatches(0))
		If InStr(allowed, "|" & name & "|") > 0 And InStr(seen, "|" & name & "|") = 0 Then
			seen = seen & name & "|"
			value = m.SubMatches(1) & ""
			If Left(value, 1) = """" Or Left(value, 1) = "'" Then value = Mid(value, 2, Len(value) - 2)
			value = SiteDecodeReferences(value)
			Select Case name
			Case "href"
				keep = SiteSafeUrl(value, True)
			Case "src"
				keep = SiteSafeUrl(value, False)
			Case "style"
				keep = SiteSafeStyle(value)
			Case Else
				keep = True
			End Select
			' 值里的结束标签、注释结尾在别的解析方式下（svg、style 里）可能变回标记：不要
			If InStr(value, "</") > 0 Or InStr(value, "-->") > 0 Or InStr(value, "]]>") > 0 Then keep = False
			If keep And value <> "" Then result = result & " " & name & "=""" & SiteAttributeText(value) & """"
		End If
	Next
	SiteCleanAttributes = result
End Function

' 地址里去掉空白和控制字符后，冒号前（在 / ? # 之前）的部分就是协议：只许白名单里的
Function SiteSafeUrl(url, isLink)
	Dim compact, colon, scheme
	compact = LCase(SiteCleanSpaceRe.Replace(url, ""))
	SiteSafeUrl = True
	colon = InStr(compact, ":")
	If colon = 0 Then Exit Function
	scheme = Left(compact, colon - 1)
	If InStr(scheme, "/") > 0 Or InStr(scheme, "?") > 0 Or InStr(scheme, "#") > 0 Then Exit Function
	SiteSafeUrl = (scheme = "http" Or scheme = "https" Or (isLink And scheme = "mailto"))
End Function

Function SiteSafeStyle(style)
	SiteSafeStyle = Not SiteCleanStyleRe.Test(SiteCleanSpaceRe.Replace(style, ""))
End Function

' 写进双引号里的属性值；ASCII 以外的字符写成数字引用（页面是 GBK 的，写不下的字符不丢）
Function SiteAttributeText(value)
	Dim s, matches, m, parts, count, last, code
	s = Replace(Replace(Replace(Replace(value, "&", "&amp;"), """", "&quot;"), "<", "&lt;"), ">", "&gt;")
	SiteAttributeText = s
	If Not SiteCleanWideRe.Test(s) Then Exit Function
	Set matches = SiteCleanWideRe.Execute(s)
	ReDim parts(matches.Count * 2)
	count = 0
	last = 1
	For Each m In matches
		parts(count) = Mid(s, last, m.FirstIndex + 1 - last)
		last = m.FirstIndex + 1 + m.Length
		code = SiteCodeUnit(Left(m.Value, 1))
		If Len(m.Value) = 2 Then code = (code - 55296) * 1024 + (SiteCodeUnit(Mid(m.Value, 2, 1)) - 56320) + 65536
		parts(count + 1) = "&#" & code & ";"
		count = count + 2
	Next
	parts(count) = Mid(s, last)
	SiteAttributeText = Join(parts, "")
End Function

Function SiteCodeUnit(ch)
	SiteCodeUnit = AscW(ch)
	If SiteCodeUnit < 0 Then SiteCodeUnit = SiteCodeUnit + 65536
End Function

' 属性值里的字符引用，照 HTML5 解开：数字引用带不带分号都算；名字引用带分号时按表，
' 不带分号时只有老的那些（&amp &lt &copy ……）算，而且后面不能紧跟 =。表里没有的保持原样。
Function SiteDecodeReferences(value)
	Dim matches, m, parts, count, last, decoded
	If InStr(value, "&") = 0 Then
		SiteDecodeReferences = value
		Exit Function
	End If
	Set matches = SiteCleanReferenceRe.Execute(value)
	ReDim parts(matches.Count * 2)
	count = 0
	last = 1
	For Each m In matches
		parts(count) = Mid(value, last, m.FirstIndex + 1 - last)
		last = m.FirstIndex + 1 + m.Length
		If m.SubMatches(1) & "" <> "" Then
			decoded = SiteCharacter(SiteDigitsValue(m.SubMatches(1), 16))
		ElseIf m.SubMatches(2) & "" <> "" Then
			decoded = SiteCharacter(SiteDigitsValue(m.SubMatches(2), 10))
		Else
			decoded = SiteNamedReference(m.SubMatches(3), m.SubMatches(4) = ";", Mid(value, last, 1))
			If IsEmpty(decoded) Then decoded = m.Value
		End If
		parts(count + 1) = decoded
		count = count + 2
	Next
	parts(count) = Mid(value, last)
	SiteDecodeReferences = Join(parts, "")
End Function

' 数字串的值；大于 0x10FFFF 的都当作 0x110000
Function SiteDigitsValue(digits, base)
	Dim i, v
	v = 0
	For i = 1 To Len(digits)
		v = v * base + InStr("0123456789abcdef", LCase(Mid(digits, i, 1))) - 1
		If v > 1114111 Then
			SiteDigitsValue = 1114112
			Exit Function
		End If
	Next
	SiteDigitsValue = v
End Function

' 码位 -> 字符，照 HTML5：0、代理项和超出范围的是 U+FFFD，0x80～0x9F 按 Windows-1252
Function SiteCharacter(code)
	Dim c
	c = code
	If c = 0 Or c > 1114111 Or (c >= 55296 And c <= 57343) Then c = 65533
	If c >= 128 And c <= 159 Then
		c = CLng("&H" & Mid("20AC0081201A0192201E20262020202102C62030016020390152008D017D008F" _
			& "009020182019201C201D20222013201402DC21220161203A0153009D017E0178", (c - 128) * 4 + 1, 4))
	End If
	If c > 65535 Then
		SiteCharacter = ChrW(55296 + (c - 65536) \ 1024) & ChrW(56320 + ((c - 65536) Mod 1024))
	Else
		SiteCharacter = ChrW(c)
	End If
End Function

' 名字引用：解开后的字符；不算引用时为 Empty
Function SiteNamedReference(name, withSemicolon, following)
	Dim at, legacy, code
	SiteNamedReference = Empty
	Const latin = " nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth ntilde ograve oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml "
	Const others = "|amp:38|AMP:38|lt:60|LT:60|gt:62|GT:62|quot:34|QUOT:34|COPY:169|REG:174|"
	Const modern = "|Tab:9|NewLine:10|excl:33|num:35|dollar:36|percnt:37|apos:39|lpar:40|rpar:41|ast:42|midast:42|plus:43|comma:44|period:46|sol:47|colon:58|semi:59|equals:61|quest:63|commat:64|lsqb:91|lbrack:91|bsol:92|rsqb:93|rbrack:93|Hat:94|lowbar:95|UnderBar:95|grave:96|DiacriticalGrave:96|lcub:123|lbrace:123|verbar:124|vert:124|VerticalLine:124|rcub:125|rbrace:125|nbsp:160|NonBreakingSpace:160|ensp:8194|emsp:8195|thinsp:8201|zwnj:8204|zwj:8205|lrm:8206|rlm:8207|hyphen:8208|dash:8208|ndash:8211|mdash:8212|lsquo:8216|rsquo:8217|sbquo:8218|ldquo:8220|rdquo:8221|bdquo:8222|dagger:8224|Dagger:8225|bull:8226|hellip:8230|permil:8240|prime:8242|Prime:8243|lsaquo:8249|rsaquo:8250|oline:8254|frasl:8260|euro:8364|trade:8482|larr:8592|uarr:8593|rarr:8594|darr:8595|harr:8596|hearts:9829|spades:9824|clubs:9827|diams:9830|fnof:402|circ:710|tilde:732|OElig:338|oelig:339|Scaron:352|scaron:353|Yuml:376|"
	at = InStr(latin, " " & name & " ")
	code = 0
	legacy = False
	If at > 0 Then
		code = 160 + UBound(Split(Left(latin, at), " ")) - 1
		legacy = True
	ElseIf InStr(others, "|" & name & ":") > 0 Then
		at = InStr(others, "|" & name & ":") + Len(name) + 2
		code = CLng(Mid(others, at, InStr(at, others, "|") - at))
		legacy = True
	ElseIf withSemicolon And InStr(modern, "|" & name & ":") > 0 Then
		at = InStr(modern, "|" & name & ":") + Len(name) + 2
		code = CLng(Mid(modern, at, InStr(at, modern, "|") - at))
	End If
	If code = 0 Then Exit Function
	' 不带分号的老名字后面紧跟 = 时，浏览器在属性值里不解开（?a=1&copy=2 是查询串）
	If Not withSemicolon And (Not legacy Or following = "=") Then Exit Function
	SiteNamedReference = SiteCharacter(code)
End Function
%>
