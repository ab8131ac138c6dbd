<%
Dim a : a = 20000
Dim b : b = a + a
Response.Write b & "|" & VarType(a)
%>
