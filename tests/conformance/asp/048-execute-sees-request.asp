<%
Response.Write "a|"
Server.Execute "executed.asp"
Response.Write "|b"
%>
