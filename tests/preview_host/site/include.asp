<!--#include virtual="/inc/helpers.asp"-->
<%
Response.Write "virtual=" & HelperName() & ";"
If Request.QueryString("fail") = "1" Then FailInNested
%>
