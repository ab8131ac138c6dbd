<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<%
'==========================================================================
' index.asp —— 登录页的占位页。
' 在设计器中点击“④生成登录代码”后，会用生成的登录页替换本文件。
'==========================================================================
Response.Charset = "gb2312"
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>后台管理系统</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
</head>
<body class="loginbody">
<table class="loginbox">
  <tr><td><img src="images/login_01.gif" width="480" height="90" alt=""></td></tr>
  <tr><td class="loginmsg" style="background:#FFFFFF;height:80px;text-align:center">
    登录页尚未生成：请在设计器中点击“④生成登录代码”。
  </td></tr>
  <tr><td class="loginfoot">&nbsp;</td></tr>
</table>
</body>
</html>
