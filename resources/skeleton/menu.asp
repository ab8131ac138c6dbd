<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<%
'==========================================================================
' menu.asp —— 左侧菜单的占位页。
' 在设计器中点击“④生成登录代码”后，会用生成的菜单（每张表一组：添加记录、浏览查询）替换本文件。
'==========================================================================
Response.Charset = "gb2312"
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>菜单</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
</head>
<body class="leftbody">
<table class="leftmenu">
  <tr><td class="menuhead">功能菜单</td></tr>
  <tr><td><div class="menu"><span class="menudiv">系统</span></div></td></tr>
  <tr><td class="menuitem" onclick="parent.right.location.href='desk.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>桌面</td></tr></table></td></tr>
  <tr><td class="menuitem" onclick="parent.right.location.href='about.html';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>关于本系统</td></tr></table></td></tr>
  <tr><td class="menuitem" onclick="top.location.href='exit.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>退出登录</td></tr></table></td></tr>
  <tr><td class="tip" style="padding:10px">表的菜单尚未生成：请在设计器中点击“④生成登录代码”。</td></tr>
</table>
</body>
</html>
