<%
Class Basket
  Public Items
End Class
Dim b : Set b = New Basket
Response.Write TypeName(b)
%>
