<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' exit.asp —— 退出登录。只有带本会话令牌的 POST 才退出：别的网站上的链接或图片
' 不能让用户退出。退出时结束会话、清除 kovel_ 开头的 Cookie，整个窗口回到 index.asp。
' 直接打开本页（GET）时显示一个“退出”按钮，点击后提交。
'==========================================================================
Response.Charset = "gb2312"
Dim exitCookie, exitDone
exitDone = False
If SitePostAllowed() Or Not SiteLoggedIn() Then
	For Each exitCookie In Request.Cookies
		If LCase(Left(exitCookie, 6)) = "kovel_" And LCase(exitCookie) <> "kovel_username" And LCase(exitCookie) <> "kovel_secret" Then SiteClearCookie exitCookie
	Next
	SiteClearCookie "kovel_username"
	SiteClearCookie "kovel_secret"
	Session.Contents.RemoveAll
	On Error Resume Next
	Session.Abandon
	On Error GoTo 0
	exitDone = True
End If
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>退出登录</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
<% If exitDone Then %>
<script type="text/javascript">
top.location.href = "index.asp";
</script>
<% End If %>
</head>
<body>
<% If exitDone Then %>
<p>您已退出登录。<a href="index.asp" target="_top">返回登录页</a></p>
<% Else %>
<form method="post" action="exit.asp" target="_top">
<input type="hidden" name="kovel_token" value="<%=SiteToken()%>">
<p>确定要退出登录吗？<input type="submit" value=" 退出 " class="button"></p>
</form>
<% End If %>
</body>
</html>
