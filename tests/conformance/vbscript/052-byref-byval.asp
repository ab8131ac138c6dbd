<%
Sub Inc(ByRef a, ByVal b)
  a = a + 1 : b = b + 1
End Sub
Dim x, y : x = 1 : y = 1
Inc x, y
Response.Write x & "|" & y
%>
