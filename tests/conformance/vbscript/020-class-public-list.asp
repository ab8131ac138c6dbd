<%
Class Pair
  Public a, b
End Class
Dim p : Set p = New Pair
p.a = 5 : p.b = 6
Response.Write p.a & "|" & p.b
%>
