<!--#include file="password.asp"-->
<!--#include file="account.asp"-->
<!--#include file="clean_html.asp"-->
<%
'==========================================================================
' inc/guard.asp —— 表单令牌、提交值的检查；包含登录会话（inc/account.asp）、
' 口令摘要（inc/password.asp）和富文本清理（inc/clean_html.asp）
'
'   SiteToken()                 本会话的表单令牌（128 个随机位）
'   SiteRequirePost()           不是带正确令牌的 POST 时提示“没有做任何修改”并返回
'   SiteValue(value, kind, caption)
'                               按列的类型检查一个提交值，返回要写入的值（空值为 Null）；
'                               不合要求时用页面的提示框说明是哪个字段，并返回上一页
'   SiteIdList(text)            逗号分隔的正整数编号，重新拼成的列表；空为 ""，有错为 "!"
'   SiteAllowCascade(t, f, c)   本会话打开过的页面用到的联动查询（表、列、条件列）
'   SiteCascadeAllowed(t, f, c)
'==========================================================================

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

' kind：text memo auto long short byte single double decimal date bool
Function SiteValue(value, kind, caption)
	Dim text, number
	text = Trim(value & "")
	Select Case kind
	Case "text", "memo", "html"
		SiteValue = text
		If kind = "html" Then SiteValue = SiteCleanHtml(text)
		' 文本列建成 VarChar(50)：更长的值 Jet 会拒绝
		If kind = "text" And Len(text) > 50 Then SiteRefuse caption, "太长，最多 50 个字"
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

Sub SiteAllowCascade(tableName, fieldName, condition)
	Dim key
	key = "|" & LCase(tableName & "/" & fieldName & "/" & condition) & "|"
	If InStr(Session("kovel_cascades") & "", key) = 0 Then Session("kovel_cascades") = Session("kovel_cascades") & key
End Sub

Function SiteCascadeAllowed(tableName, fieldName, condition)
	SiteCascadeAllowed = InStr(Session("kovel_cascades") & "", "|" & LCase(tableName & "/" & fieldName & "/" & condition) & "|") > 0
End Function
%>
