<%
Dim a : a = Array(Array(1, 2), Array(3))
Response.Write a(0)(1) & "|" & a(1)(0)
%>
