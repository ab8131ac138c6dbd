<%
Response.Write Server.ScriptTimeout & "|"
Server.ScriptTimeout = 300
Response.Write Server.ScriptTimeout
%>
