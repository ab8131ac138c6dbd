<%
Response.Write "start|"
Server.Transfer "executed.asp"
Response.Write "|never"
%>
