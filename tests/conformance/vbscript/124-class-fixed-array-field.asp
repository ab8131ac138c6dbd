<%
Class Pair
  Private items(1)
  Public Sub Fill()
    items(0) = "a" : items(1) = "b"
  End Sub
  Public Function Show()
    Show = (UBound(items) + 1) & "|" & items(1)
  End Function
End Class
Dim p2 : Set p2 = New Pair
p2.Fill
Response.Write p2.Show()
%>
