<!--#include file="sha256.asp"-->
<%
'==========================================================================
' inc/guard.asp —— 登录会话、表单令牌、提交值的检查和富文本清理
'
'   SiteLoggedIn()              会话里有登录的帐号（不看 Cookie：Cookie 谁都能伪造）
'   SiteRequireLogin(loginPage) 没有登录时提示并让整个窗口回到 loginPage，结束输出
'   SiteLogin(id, name)         登录成功：帐号记进会话，换新的表单令牌；Cookie 只用来显示
'   SiteToken()                 本会话的表单令牌
'   SiteRequirePost()           不是带正确令牌的 POST 时提示“没有做任何修改”并返回
'   SiteValue(value, kind, caption)
'                               按列的类型检查一个提交值，返回要写入的值（空值为 Null）；
'                               不合要求时用页面的提示框说明是哪个字段，并返回上一页
'   SiteIdList(text)            逗号分隔的正整数编号，重新拼成的列表；空为 ""，有错为 "!"
'   SiteCleanHtml(html)         只留白名单里的标签和属性，去掉脚本、事件属性和 javascript: 地址
'   SiteAllowCascade(t, f, c)   本会话打开过的页面用到的联动查询（表、列、条件列）
'   SiteCascadeAllowed(t, f, c)
'   SiteLoginLocked()           本会话或本地址连续 5 次登录失败后，15 分钟内不再受理
'   SiteLoginFailed() / SiteLoginSucceeded()
'==========================================================================

Function SiteLoggedIn()
	SiteLoggedIn = (Session("kovel_userid") & "" <> "")
End Function

Sub SiteRequireLogin(loginPage)
	If SiteLoggedIn() Then Exit Sub
	Response.Clear
	Response.Write "<script type=""text/javascript"">alert('没有权限，请重新登陆');top.location.href='" & loginPage & "';</script>" & vbCrLf
	Response.End
End Sub

Sub SiteLogin(id, name)
	Session("kovel_userid") = id & ""
	Session("kovel_username") = name & ""
	Session("kovel_token") = ""
	Response.Cookies("kovel_username") = name & ""
End Sub

Function SiteRandomHex(length)
	Dim i, text
	Randomize
	text = ""
	For i = 1 To length
		text = text & LCase(Hex(Int(Rnd * 16)))
	Next
	SiteRandomHex = text
End Function

Function SiteToken()
	If Session("kovel_token") & "" = "" Then Session("kovel_token") = SiteRandomHex(32)
	SiteToken = Session("kovel_token")
End Function

Function SitePostAllowed()
	Dim sent
	sent = Request.Form("kovel_token") & ""
	SitePostAllowed = (UCase(Request.ServerVariables("REQUEST_METHOD") & "") = "POST" _
		And sent <> "" And sent = Session("kovel_token") & "")
End Function

Sub SiteRequirePost()
	If SitePostAllowed() Then Exit Sub
	SiteMessage "请求无效：只接受本站表单提交的请求（表单已过期时请刷新页面后重试），没有做任何修改"
	SiteBack
End Sub

Sub SiteMessage(text)
	Response.Write "<script type=""text/javascript"">alert('" & Replace(Replace(text & "", "\", "\\"), "'", "\'") & "');</script>" & vbCrLf
End Sub

Sub SiteBack()
	Response.Write "<script type=""text/javascript"">history.go(-1);</script>" & vbCrLf
	Response.End
End Sub

Function SiteMatches(text, pattern)
	Dim re
	Set re = New RegExp
	re.Pattern = pattern
	SiteMatches = re.Test(text & "")
End Function

Sub SiteRefuse(caption, reason)
	SiteMessage caption & reason
	SiteBack
End Sub

' kind：text longtext memo auto long short byte single double decimal currency date bool
Function SiteValue(value, kind, caption)
	Dim text, number
	text = Trim(value & "")
	Select Case kind
	Case "text", "longtext", "memo", "html"
		SiteValue = text
		If kind = "html" Then SiteValue = SiteCleanHtml(text)
		' 文本列建成 VarChar(50)，长文本列 VarChar(255)：更长的值 Jet 会拒绝
		If kind = "text" And Len(text) > 50 Then SiteRefuse caption, "太长，最多 50 个字"
		If kind = "longtext" And Len(text) > 255 Then SiteRefuse caption, "太长，最多 255 个字"
		Exit Function
	End Select
	If text = "" Then
		If kind = "bool" Then SiteValue = False Else SiteValue = Null
		Exit Function
	End If
	Select Case kind
	Case "long", "short", "byte", "auto"
		If Not SiteMatches(text, "^-?[0-9]{1,10}$") Then SiteRefuse caption, "必须是整数"
		number = CDbl(text)
		If kind = "byte" And (number < 0 Or number > 255) Then SiteRefuse caption, "必须是 0 到 255 之间的整数"
		If kind = "short" And (number < -32768 Or number > 32767) Then SiteRefuse caption, "必须是 -32768 到 32767 之间的整数"
		If number < -2147483648 Or number > 2147483647 Then SiteRefuse caption, "超出了整数的范围"
		SiteValue = CLng(number)
	Case "single", "double", "decimal"
		If Not SiteMatches(text, "^-?[0-9]{1,15}(\.[0-9]{1,15})?$") Then SiteRefuse caption, "必须是数字"
		SiteValue = CDbl(text)
	Case "currency"
		' 货币列存到万分之一；15 位有效数字以内 CDbl 不失真
		If Not SiteMatches(text, "^-?[0-9]{1,11}(\.[0-9]{1,4})?$") Then SiteRefuse caption, "必须是最多 4 位小数的金额"
		SiteValue = CDbl(text)
	Case "date"
		SiteValue = SiteDate(text)
		If IsNull(SiteValue) Then SiteRefuse caption, "不是有效的日期（例如 2024-01-31 或 2024-01-31 08:30）"
	Case "bool"
		Select Case LCase(text)
		Case "1", "-1", "true", "on", "yes", "是"
			SiteValue = True
		Case "0", "false", "off", "no", "否"
			SiteValue = False
		Case Else
			SiteRefuse caption, "只能是“是”或“否”"
		End Select
	Case Else
		SiteValue = text
	End Select
End Function

' 年-月-日（可带 时:分[:秒]，分隔符 - 或 /）；不是有效日期时为 Null
Function SiteDate(text)
	Dim parts, d, t, moment
	SiteDate = Null
	If Not SiteMatches(text, "^[0-9]{4}[-/][0-9]{1,2}[-/][0-9]{1,2}( [0-9]{1,2}:[0-9]{1,2}(:[0-9]{1,2})?)?$") Then Exit Function
	parts = Split(text, " ")
	d = Split(Replace(parts(0), "/", "-"), "-")
	moment = DateSerial(CLng(d(0)), CLng(d(1)), CLng(d(2)))
	If Year(moment) <> CLng(d(0)) Or Month(moment) <> CLng(d(1)) Or Day(moment) <> CLng(d(2)) Then Exit Function
	If UBound(parts) = 1 Then
		t = Split(parts(1) & ":0", ":")
		If CLng(t(0)) > 23 Or CLng(t(1)) > 59 Or CLng(t(2)) > 59 Then Exit Function
		moment = moment + TimeSerial(CLng(t(0)), CLng(t(1)), CLng(t(2)))
	End If
	SiteDate = moment
End Function

Function SiteIdList(text)
	Dim items, i, item, list
	list = ""
	If Trim(text & "") = "" Then
		SiteIdList = ""
		Exit Function
	End If
	items = Split(text & "", ",")
	For i = 0 To UBound(items)
		item = Trim(items(i))
		If item <> "" Then
			If Not SiteMatches(item, "^[0-9]{1,9}$") Then
				SiteIdList = "!"
				Exit Function
			End If
			If CLng(item) < 1 Then
				SiteIdList = "!"
				Exit Function
			End If
			If list <> "" Then list = list & ","
			list = list & CLng(item)
		End If
	Next
	SiteIdList = list
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

Function SiteSafeUrl(url)
	Dim compact
	compact = LCase(url)
	compact = Replace(Replace(Replace(Replace(compact, " ", ""), vbTab, ""), vbCr, ""), vbLf, "")
	' 用字符实体拼出来的地址（java&#115;cript:）一律不要
	SiteSafeUrl = Not (InStr(compact, "javascript:") > 0 Or InStr(compact, "vbscript:") > 0 Or InStr(compact, "data:") > 0 _
		Or InStr(compact, "&#") > 0 Or InStr(compact, "&colon") > 0)
End Function

Function SiteCleanHtml(html)
	Dim re, attrRe, matches, m, result, last, tagName, allowed, attrs, a, name, value, kept
	Set re = New RegExp
	re.Global = True
	re.IgnoreCase = True
	' 整段去掉：脚本、样式表、框架和插件的内容
	re.Pattern = "<(script|style|iframe|frame|frameset|object|embed|applet|noscript|xml|template)\b[\s\S]*?</\1\s*>"
	result = re.Replace(html & "", "")
	re.Pattern = "<!--[\s\S]*?-->"
	result = re.Replace(result, "")
	Set attrRe = New RegExp
	attrRe.Global = True
	attrRe.IgnoreCase = True
	attrRe.Pattern = "([a-zA-Z_:][-a-zA-Z0-9_:.]*)\s*(=\s*(""[^""]*""|'[^']*'|[^\s>]+))?"
	re.Pattern = "<(/?)([a-zA-Z][a-zA-Z0-9]*)([^>]*)>|<|>"
	Set matches = re.Execute(result)
	kept = ""
	last = 1
	For Each m In matches
		kept = kept & Mid(result, last, m.FirstIndex + 1 - last)
		last = m.FirstIndex + 1 + m.Length
		If m.Value = "<" Then
			kept = kept & "&lt;"
		ElseIf m.Value = ">" Then
			kept = kept & "&gt;"
		Else
			tagName = LCase(m.SubMatches(1))
			allowed = SiteAllowedAttributes(tagName)
			If allowed <> "" Then
				If m.SubMatches(0) = "/" Then
					kept = kept & "</" & tagName & ">"
				Else
					attrs = ""
					For Each a In attrRe.Execute(m.SubMatches(2))
						name = LCase(a.SubMatches(0))
						value = a.SubMatches(2)
						If Left(value, 1) = """" Or Left(value, 1) = "'" Then value = Mid(value, 2, Len(value) - 2)
						If InStr(allowed, "|" & name & "|") > 0 And value <> "" Then
							If (name <> "href" And name <> "src") Or SiteSafeUrl(value) Then
								If name <> "style" Or Not (InStr(LCase(value), "expression") > 0 Or InStr(LCase(value), "url(") > 0) Then
									attrs = attrs & " " & name & "=""" & Replace(Replace(value, """", "&quot;"), "<", "&lt;") & """"
								End If
							End If
						End If
					Next
					kept = kept & "<" & tagName & attrs & ">"
				End If
			End If
		End If
	Next
	SiteCleanHtml = kept & Mid(result, last)
End Function

Sub SiteAllowCascade(tableName, fieldName, condition)
	Dim key
	key = "|" & LCase(tableName & "/" & fieldName & "/" & condition) & "|"
	If InStr(Session("kovel_cascades") & "", key) = 0 Then Session("kovel_cascades") = Session("kovel_cascades") & key
End Sub

Function SiteCascadeAllowed(tableName, fieldName, condition)
	SiteCascadeAllowed = InStr(Session("kovel_cascades") & "", "|" & LCase(tableName & "/" & fieldName & "/" & condition) & "|") > 0
End Function

' 失败记录：会话里一份，Application 里按地址一份（"次数|最后一次的时间"）
Function SiteFailureKey()
	SiteFailureKey = "kovel_fail_" & Request.ServerVariables("REMOTE_ADDR")
End Function

Function SiteFailureCount(record)
	Dim parts
	SiteFailureCount = 0
	If record & "" = "" Then Exit Function
	parts = Split(record, "|")
	If UBound(parts) <> 1 Then Exit Function
	If Not IsNumeric(parts(0)) Or Not IsNumeric(parts(1)) Then Exit Function
	' 15 分钟（以天计）之后重新计数
	If CDbl(Now()) - CDbl(parts(1)) > 15 / 1440 Then Exit Function
	SiteFailureCount = CLng(parts(0))
End Function

Function SiteLoginLocked()
	SiteLoginLocked = (SiteFailureCount(Session("kovel_fail")) >= 5 Or SiteFailureCount(Application(SiteFailureKey())) >= 5)
End Function

Sub SiteLoginFailed()
	Dim stamp
	stamp = "|" & CStr(CDbl(Now()))
	Session("kovel_fail") = (SiteFailureCount(Session("kovel_fail")) + 1) & stamp
	Application.Lock
	Application(SiteFailureKey()) = (SiteFailureCount(Application(SiteFailureKey())) + 1) & stamp
	Application.Unlock
End Sub

Sub SiteLoginSucceeded()
	Session("kovel_fail") = ""
	Application.Lock
	Application(SiteFailureKey()) = ""
	Application.Unlock
End Sub
%>
