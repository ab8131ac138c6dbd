<%
Function F(a) : F = a : End Function
Dim x : x = F(1, 2)
%>
