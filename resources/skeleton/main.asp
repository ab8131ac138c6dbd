<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' main.asp —— 登录后的框架页
'   上：top.asp（63 像素）
'   中：左 menu.asp（框架名 left，177 像素），右 desk.asp（框架名 right，菜单链接都在这里打开）
'   下：bottom.asp（32 像素）
' 没有登录（会话里没有帐号）时转到登录页 index.asp。
'==========================================================================
Response.Charset = "gb2312"
If Not SiteLoggedIn() Then
	Response.Redirect "index.asp"
End If
%>
<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01 Frameset//EN" "http://www.w3.org/TR/html4/frameset.dtd">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>后台管理系统 - <%=LoginName()%></title>
</head>
<frameset rows="63,*,32" frameborder="no" border="0" framespacing="0">
  <frame src="top.asp" name="topFrame" id="topFrame" scrolling="no" noresize="noresize">
  <frameset cols="177,*" frameborder="no" border="0" framespacing="0">
    <frame src="menu.asp" name="left" id="left" scrolling="auto" noresize="noresize">
    <frame src="desk.asp" name="right" id="right" scrolling="auto">
  </frameset>
  <frame src="bottom.asp" name="bottomFrame" id="bottomFrame" scrolling="no" noresize="noresize">
  <noframes>
    <body>您的浏览器不支持框架，请换用其他浏览器。</body>
  </noframes>
</frameset>
</html>
