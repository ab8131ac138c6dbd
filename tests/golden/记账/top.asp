<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' top.asp —— 顶部框架（高 63 像素）
'   上面一行：标志、当前用户、退出；下面一行：每张表一个标签页（打开它的列表页），
'   最后是"桌面"按钮。没有登录时整个窗口回到登录页。
'==========================================================================
Response.Charset = "gb2312"
CheckLogin "index.asp"
%>
<HTML>
<HEAD>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>顶部</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
<style type="text/css">
.tophead {
	width: 100%;
	height: 37px;
	border-collapse: collapse;
}
.tophead td, .tabbar td {
	padding: 0;
}
.tophead td.topinfo {
	padding-right: 14px;
}
.tabbar {
	height: 26px;
	margin-left: 12px;
	border-collapse: collapse;
}
.tabbar img {
	display: block;
}
</style>
<script type="text/javascript">
// 点中的标签页高亮（.menuon），其余的恢复原样
function isTab(el) {
	return el && el.nodeName == "DIV" && /(^|\s)menu(\s|$)/.test(el.className);
}

document.onclick = function (e) {
	e = e || window.event;
	var el = e.target || e.srcElement;
	while (el && !isTab(el)) {
		el = el.parentNode;
	}
	if (!el) {
		return;
	}
	var divs = document.getElementsByTagName("div");
	for (var i = 0; i < divs.length; i++) {
		if (isTab(divs[i])) {
			divs[i].className = "menu";
		}
	}
	el.className = "menu menuon";
};
</script>
</HEAD>
<BODY class="topbody">
<TABLE class="tophead" border="0" cellspacing="0" cellpadding="0">
  <TR>
    <TD width="270"><a href="desk.asp" target="right"><img src="images/logo.gif" width="260" height="37" border="0" alt="后台管理系统"></a></TD>
    <TD class="topinfo">
      <a class="toplink" href="desk.asp" target="right" title="回到桌面">当前用户：<%=LoginName()%></a>
      <a class="toplink toplink-exit" href="exit.asp" target="_top" title="退出登录，回到登录页">退出</a>
    </TD>
  </TR>
</TABLE>
<TABLE class="tabbar" border="0" cellspacing="0" cellpadding="0">
  <TR>
	<TD valign="bottom" width="95">
		<div id="T24" class="menu"><a href="manage/YH24_List.asp" target="right">用户</a></div>      
	</TD>

	<TD valign="bottom" width="95">
		<div id="T25" class="menu"><a href="manage/SZ25_List.asp" target="right">收支</a></div>      
	</TD>

	<TD valign="bottom" width="95">
		<div id="T26" class="menu"><a href="manage/XFLX26_List.asp" target="right">消费类型</a></div>      
	</TD>

	<TD valign="bottom" width="95">
		<div id="T27" class="menu"><a href="manage/LSZ27_List.asp" target="right">流水帐</a></div>      
	</TD>


	<TD valign="bottom" width="*">
	  <a href="desk.asp" target="right"><img src="images/button8.jpg" border="0"></a>
	</TD>		
  </TR></TABLE>
</BODY></HTML>
