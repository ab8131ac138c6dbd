<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' desk.asp —— 右侧框架的起始页（"桌面"）：欢迎信息、服务器情况、使用说明
'==========================================================================
Response.Charset = "gb2312"
CheckLogin "index.asp"

' 站点数据库 data/data.mdb 的大小；文件不存在时为空串
Function DeskDataSize()
	Dim fso, dataPath
	DeskDataSize = ""
	On Error Resume Next
	Set fso = Server.CreateObject("Scripting.FileSystemObject")
	dataPath = Server.MapPath("data/data.mdb")
	If fso.FileExists(dataPath) Then DeskDataSize = FormatNumber(fso.GetFile(dataPath).Size / 1024, 0) & " KB"
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
<% If LCase(Request.Cookies("kovel_username") & "") = "vokra" Then %>
  <p class="error">您正在使用生成站点时自带的默认帐号，请尽快在登录表中另建帐号，或修改它的密码。</p>
<% End If %>
  <table class="infotable">
    <tr><td class="category">当前用户</td><td><%=LoginName()%></td></tr>
    <tr><td class="category">您的 IP 地址</td><td><%=Server.HTMLEncode(GetIP())%></td></tr>
    <tr><td class="category">服务器时间</td><td><%=DateTimeText(Now())%></td></tr>
    <tr><td class="category">服务器软件</td><td><%=Server.HTMLEncode(Request.ServerVariables("SERVER_SOFTWARE") & "")%></td></tr>
    <tr><td class="category">脚本引擎</td><td><%=ScriptEngine() & " " & ScriptEngineMajorVersion() & "." & ScriptEngineMinorVersion() & "." & ScriptEngineBuildVersion()%></td></tr>
    <tr><td class="category">数据库</td><td><%
	Dim deskSize
	deskSize = DeskDataSize()
	If deskSize = "" Then
		Response.Write "<span class=""error"">data/data.mdb 不存在，请先生成数据库文件</span>"
	Else
		Response.Write "data/data.mdb，" & deskSize
	End If
%></td></tr>
  </table>
  <p class="tip">使用说明：左侧菜单每张表一组，"添加记录"录入新数据，"浏览查询"查看、搜索、修改和删除已有数据；顶部的标签页直接打开各表的列表。</p>
</div>
</body>
</html>
