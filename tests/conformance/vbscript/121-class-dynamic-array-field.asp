<%
Class Bag
  Private items()
  Public Sub Fill()
    ReDim items(3)
    items(3) = "c"
  End Sub
  Public Function Last()
    Last = UBound(items) & "|" & items(3)
  End Function
End Class
Dim b : Set b = New Bag
b.Fill
Response.Write b.Last()
%>
