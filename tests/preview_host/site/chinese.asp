<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<html><body>
<p>中文页面</p>
<%
Response.Write "q=" & Request.QueryString("q") & ";"
Response.Write "f=" & Request.Form("f") & ";"
Response.Write "c=" & Request.Cookies("c") & ";"
Response.Write "len=" & Len(Request.QueryString("q")) & ";"
%>
</body></html>
