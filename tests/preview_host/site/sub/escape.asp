<%
Response.Write Server.MapPath("../../etc/passwd")
%>
