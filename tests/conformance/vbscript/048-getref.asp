<%
Function Twice(n) : Twice = "called " & n * 2 : End Function
Dim f : Set f = GetRef("Twice")
Response.Write f(2)
%>
