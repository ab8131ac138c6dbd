<%
Dim a()
ReDim a(1)
a(0) = 1 : a(1) = 2
ReDim Preserve a(2)
Response.Write a(0) & "|" & a(1) & "|" & a(2)
%>
