<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' bottom.asp —— 底部框架（高 32 像素）：当前用户、桌面、关于、退出、版权
'==========================================================================
Response.Charset = "gb2312"
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>底部</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
</head>
<body class="bottombar">
<div class="footer">
  当前用户：<%=LoginName()%>
  &nbsp;|&nbsp; <a href="desk.asp" target="right">桌面</a>
  &nbsp;|&nbsp; <a href="about.html" target="right">关于本系统</a>
  &nbsp;|&nbsp; <a href="exit.asp" target="_top">退出登录</a>
  &nbsp;|&nbsp; Copyright &copy; <%=Year(Now())%> 后台管理系统
</div>
</body>
</html>
