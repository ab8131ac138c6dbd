<!--#include file="password.asp"-->
<!--#include file="account.asp"-->
<!--#include file="clean_html.asp"-->
<!--#include file="values.asp"-->
<%
'==========================================================================
' inc/guard.asp —— 表单令牌、提交值的检查；包含登录会话（inc/account.asp）、
' 口令摘要（inc/password.asp）和富文本清理（inc/clean_html.asp）
'
'   SiteToken()                 本会话的表单令牌（128 个随机位）
'   SiteRequirePost()           不是带正确令牌的 POST 时提示“没有做任何修改”并返回
'   SiteValue(value, kind, caption)
'                               按列的类型检查一个提交值（见 inc/values.asp）
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
