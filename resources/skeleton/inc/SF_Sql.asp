<%
'==========================================================================
' inc/SF_Sql.asp —— 请求参数的 SQL 注入过滤
'
' 包含本文件时立即检查本次请求的全部 QueryString 和 Form 值（以及 Cookie 值），
' 发现可疑内容就弹出提示、返回上一页并结束输出。
' 可疑内容：单引号、分号、注释符（-- /* */）、SQL 关键字（作为独立的词出现时），
' 例如 "' or 1=1"、"1;drop table x"、"1 union select"。像 "Andy"、"selection" 这样
' 只是包含关键字字母的词不会被拦。
'
' 表单里需要提交这些内容的页面（例如富文本），在包含本文件之前写
'     SF_SkipForm = True
' 就只检查 QueryString 和 Cookie。
'
'   SF_IsSafe(value)     值中没有可疑内容时为 True
'   SF_CheckRequest()    包含时自动调用一次；也可以再次调用
'==========================================================================

Function SF_IsSafe(value)
	Dim re
	Set re = New RegExp
	re.IgnoreCase = True
	re.Global = False
	re.Pattern = "('|;|--|/\*|\*/|\b(and|or|exec|execute|insert|select|delete|update|count|chr|mid|master|truncate|char|declare|union|drop|alter|create|xp_cmdshell|sp_executesql)\b)"
	SF_IsSafe = Not re.Test(value & "")
End Function

Sub SF_Block(source, name)
	Dim shown
	shown = Replace(name & "", "\", "\\")
	shown = Replace(shown, "'", "\'")
	shown = Replace(shown, "<", "\x3c")
	shown = Replace(shown, vbCr, "")
	shown = Replace(shown, vbLf, "")
	Response.Write "<script type=""text/javascript"">alert('您提交的参数中含有不允许的字符（" & source & "：" & shown & "），请返回修改！');history.go(-1);</script>"
	Response.End
End Sub

Sub SF_CheckCollection(collection, source)
	Dim key, i
	For Each key In collection
		For i = 1 To collection(key).Count
			If Not SF_IsSafe(collection(key)(i)) Then SF_Block source, key
		Next
	Next
End Sub

Sub SF_CheckRequest()
	Dim key
	SF_CheckCollection Request.QueryString, "地址参数"
	If Not SF_SkipForm Then SF_CheckCollection Request.Form, "表单"
	For Each key In Request.Cookies
		If Not SF_IsSafe(Request.Cookies(key)) Then SF_Block "Cookie", key
	Next
End Sub

SF_CheckRequest
%>
