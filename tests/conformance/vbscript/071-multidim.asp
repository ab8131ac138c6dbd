<%
Dim m(2, 3)
m(2, 3) = 6
Response.Write UBound(m, 1) & "|" & UBound(m, 2) & "|" & m(2, 3)
%>
