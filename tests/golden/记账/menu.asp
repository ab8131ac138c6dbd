<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' menu.asp —— 左侧菜单（框架名 left，宽 177 像素）
'   每张表一组：点组名收起或展开，组里的"添加记录""浏览查询"在右侧框架中打开。
'   各组的 id 是 g_1、g_2……；"全部展开""全部收起"依次处理每一组。
'   没有登录时整个窗口回到登录页。
'==========================================================================
Response.Charset = "gb2312"
CheckLogin "index.asp"
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>菜单</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
<style type="text/css">
.leftmenu td[onclick], .leftmenu td[onClick] {
	cursor: pointer;
}
.leftmenu td[background]:hover {
	background-image: url(images/left_bg02.gif);
	color: #C83232;
}
.menutools {
	height: 24px;
	line-height: 24px;
	text-align: center;
	background: #DCE8F5;
	border-bottom: 1px solid #C4D8ED;
}
.menutools a {
	margin: 0 6px;
	cursor: pointer;
}
</style>
<script type="text/javascript">
// 显示（open 为 true）或隐藏一组菜单
function showGroup(id, open) {
	var group = document.getElementById(id);
	if (group) {
		group.style.display = open ? "" : "none";
	}
}

// 点组名：收起的展开，展开的收起
function collapse(id) {
	var group = document.getElementById(id);
	if (group) {
		showGroup(id, group.style.display == "none");
	}
}

// 收起所有组
function collapseAll() {
	for (var i=1; i<=4; i++) {
		showGroup("g_" + i, false);
	}
}

// 展开所有组
function expandAll() {
	for (var i=1; i<=4; i++) {
		showGroup("g_" + i, true);
	}
}
</script>
</head>
<body class="leftbody">
<table class="leftmenu" width="100%" border="0" cellspacing="0" cellpadding="0">
<tr>
<td class="menuhead">功能菜单</td>
</tr>
<tr>
<td class="menutools"><a id="expandall" onclick="expandAll();">全部展开</a>|<a id="collapseall" onclick="collapseAll();">全部收起</a></td>
</tr>

<tr>
<td onClick="collapse('g_1')" style="cursor:hand;"><div id="T24" class="menu"><span class="menudiv">用户</span></div></td>
</tr>
<tr>
<td id="g_1"><table width="100%" align="center" cellpadding="0" cellspacing="0" bgcolor="#FFFFFF">
  <tbody>

	<tr>
      <td height="30" align="center" background="images/left_bg01.gif" style="cursor:hand"  onclick="javascript:parent.right.location.href='manage/YH24_Add.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>添加记录</td></tr></table></td>
    </tr>

	<tr>
      <td height="30" align="center" background="images/left_bg01.gif" style="cursor:hand"  onclick="javascript:parent.right.location.href='manage/YH24_List.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>浏览查询</td></tr></table></td>
    </tr>
    
	<tr><td height="5"></td></tr>
  </tbody>
</table></td>
</tr>

<tr>
<td onClick="collapse('g_2')" style="cursor:hand;"><div id="T25" class="menu"><span class="menudiv">收支</span></div></td>
</tr>
<tr>
<td id="g_2"><table width="100%" align="center" cellpadding="0" cellspacing="0" bgcolor="#FFFFFF">
  <tbody>

	<tr>
      <td height="30" align="center" background="images/left_bg01.gif" style="cursor:hand"  onclick="javascript:parent.right.location.href='manage/SZ25_Add.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>添加记录</td></tr></table></td>
    </tr>

	<tr>
      <td height="30" align="center" background="images/left_bg01.gif" style="cursor:hand"  onclick="javascript:parent.right.location.href='manage/SZ25_List.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>浏览查询</td></tr></table></td>
    </tr>
    
	<tr><td height="5"></td></tr>
  </tbody>
</table></td>
</tr>

<tr>
<td onClick="collapse('g_3')" style="cursor:hand;"><div id="T26" class="menu"><span class="menudiv">消费类型</span></div></td>
</tr>
<tr>
<td id="g_3"><table width="100%" align="center" cellpadding="0" cellspacing="0" bgcolor="#FFFFFF">
  <tbody>

	<tr>
      <td height="30" align="center" background="images/left_bg01.gif" style="cursor:hand"  onclick="javascript:parent.right.location.href='manage/XFLX26_Add.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>添加记录</td></tr></table></td>
    </tr>

	<tr>
      <td height="30" align="center" background="images/left_bg01.gif" style="cursor:hand"  onclick="javascript:parent.right.location.href='manage/XFLX26_List.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>浏览查询</td></tr></table></td>
    </tr>
    
	<tr><td height="5"></td></tr>
  </tbody>
</table></td>
</tr>

<tr>
<td onClick="collapse('g_4')" style="cursor:hand;"><div id="T27" class="menu"><span class="menudiv">流水帐</span></div></td>
</tr>
<tr>
<td id="g_4"><table width="100%" align="center" cellpadding="0" cellspacing="0" bgcolor="#FFFFFF">
  <tbody>

	<tr>
      <td height="30" align="center" background="images/left_bg01.gif" style="cursor:hand"  onclick="javascript:parent.right.location.href='manage/LSZ27_Add.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>添加记录</td></tr></table></td>
    </tr>

	<tr>
      <td height="30" align="center" background="images/left_bg01.gif" style="cursor:hand"  onclick="javascript:parent.right.location.href='manage/LSZ27_List.asp';"><table cellpadding="0" cellspacing="0" width="100%"><tr><td width="50">&nbsp;</td><td>浏览查询</td></tr></table></td>
    </tr>
    
	<tr><td height="5"></td></tr>
  </tbody>
</table></td>
</tr>

<tr>
<td height="10"></td>
</tr>
</table>
<script type="text/javascript">
// 打开菜单时只展开第一组
collapseAll();
showGroup("g_1", true);
</script>
</body>
</html>
