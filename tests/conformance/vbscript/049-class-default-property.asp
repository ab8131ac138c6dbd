<%
Class Holder
  Private value
  Public Default Property Get Item(k)
    Item = "v" & k
  End Property
End Class
Dim h : Set h = New Holder
Response.Write h(7)
%>
