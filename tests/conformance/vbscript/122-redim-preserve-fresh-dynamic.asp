<%
Dim a()
ReDim Preserve a(2)
a(2) = "x"
Response.Write UBound(a) & "|" & a(2)
%>
