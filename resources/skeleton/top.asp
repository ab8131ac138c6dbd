<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' top.asp —— 顶部框架的占位页。
' 在设计器中点击“④生成登录代码”后，会用生成的导航页（每张表一个标签）替换本文件。
'==========================================================================
Response.Charset = "gb2312"
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>顶部</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
</head>
<body class="topbody">
<table class="topbar">
  <tr>
    <td class="logo">&nbsp;</td>
    <td class="topinfo">
      <a class="toplink" href="desk.asp" target="right"><%=LoginName()%></a>
      <a class="toplink toplink-exit" href="exit.asp" target="_top">退出</a>
    </td>
  </tr>
  <tr>
    <td colspan="2" valign="bottom" style="padding-left:10px">
      <a href="desk.asp" target="right"><img src="images/button8.jpg" width="92" height="26" alt="桌面"></a>
    </td>
  </tr>
</table>
</body>
</html>
