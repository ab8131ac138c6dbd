<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<%
'==========================================================================
' exit.asp —— 退出登录：清除所有 kovel_ 开头的登录 Cookie（包括 kovel_username），
' 结束会话，然后整个窗口回到登录页 index.asp。
'==========================================================================
Response.Charset = "gb2312"
Dim exitCookie
For Each exitCookie In Request.Cookies
	If LCase(Left(exitCookie, 6)) = "kovel_" Then
		Response.Cookies(exitCookie) = ""
		Response.Cookies(exitCookie).Expires = DateAdd("d", -1, Now())
	End If
Next
Response.Cookies("kovel_username") = ""
Response.Cookies("kovel_username").Expires = DateAdd("d", -1, Now())
On Error Resume Next
Session.Abandon
On Error GoTo 0
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>退出登录</title>
<script type="text/javascript">
top.location.href = "index.asp";
</script>
</head>
<body>
<p>您已退出登录。<a href="index.asp" target="_top">返回登录页</a></p>
</body>
</html>
