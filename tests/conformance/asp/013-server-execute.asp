<%
Dim shared : shared = "x"
Response.Write "a|"
Server.Execute "executed.asp"
Response.Write "|b"
%>
