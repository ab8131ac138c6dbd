<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<%
'==========================================================================
' Getclass.asp —— 联动数据服务在站点根目录的入口
'
' manage 里的页面有的写 "Getclass.asp?..."（同目录，即 manage/GetClass.asp），
' 有的写 "../Getclass.asp?..."（即本页）。本页不做查询，只把请求连同原样的查询串
' 转到 manage/GetClass.asp，数据服务和多级联动表都只在那里维护一份。
' 浏览器的 XMLHttpRequest 会自动跟随这次转向，页面上的 GetData() 感觉不到差别。
' IIS 的文件名不分大小写，Getclass.asp 与 GetClass.asp 指的是同一个文件。
'==========================================================================
Dim queryText
queryText = Request.ServerVariables("QUERY_STRING")
If queryText <> "" Then queryText = "?" & queryText
Response.Redirect "manage/GetClass.asp" & queryText
%>
