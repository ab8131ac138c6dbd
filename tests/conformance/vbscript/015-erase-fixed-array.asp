<%
Dim a(3)
a(0) = 7
Erase a
Response.Write Len(a(0)) & "|" & UBound(a) & "|" & TypeName(a(0))
%>
