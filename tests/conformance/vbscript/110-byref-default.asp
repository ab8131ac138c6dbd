<%
Sub Bump(n)
  n = n + 1
End Sub
Dim v : v = 1
Bump v
Response.Write v
%>
