<%
Application("list") = Array("x", "y")
Response.Write Application("list")(1)
%>
