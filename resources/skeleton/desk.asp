<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' desk.asp —— 右侧框架的起始页（"桌面"）：欢迎信息和站点情况
'==========================================================================
Response.Charset = "gb2312"
CheckLogin "index.asp"

' 数据库文件的大小（KB）；文件不存在时返回空串
Function DeskDatabaseSize()
	Dim fso, path
	DeskDatabaseSize = ""
	On Error Resume Next
	Set fso = Server.CreateObject("Scripting.FileSystemObject")
	path = Server.MapPath("data/data.mdb")
	If fso.FileExists(path) Then DeskDatabaseSize = FormatNumber(fso.GetFile(path).Size / 1024, 0) & " KB"
	Set fso = Nothing
	Err.Clear
End Function
%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>桌面</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
</head>
<body>
<div class="desk">
  <div class="desktitle">欢迎您，<%=LoginName()%>！</div>
  <table class="infotable">
    <tr><td class="category">当前用户</td><td><%=LoginName()%></td></tr>
    <tr><td class="category">您的 IP 地址</td><td><%=Server.HTMLEncode(GetIP())%></td></tr>
    <tr><td class="category">服务器时间</td><td><%=DateTimeText(Now())%></td></tr>
    <tr><td class="category">数据库</td><td><%
	Dim deskSize
	deskSize = DeskDatabaseSize()
	If deskSize = "" Then
		Response.Write "<span class=""error"">data/data.mdb 不存在，请先生成数据库文件</span>"
	Else
		Response.Write "data/data.mdb，" & deskSize
	End If
%></td></tr>
  </table>
  <p class="tip">请从左侧菜单选择要管理的内容：“添加记录”录入新数据，“浏览查询”查看、搜索、修改和删除已有数据。</p>
</div>
</body>
</html>
