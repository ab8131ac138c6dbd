<%
Class Pair
  Private a, b
  Public Sub Init(x, y)
    a = x : b = y
  End Sub
  Public Function Show()
    Show = a & "|" & b
  End Function
End Class
Dim p : Set p = New Pair
p.Init 1, 2
Response.Write p.Show()
%>
