<%
Class P : Public a, b : End Class
Dim p : Set p = New P
With p
  .a = "x" : .b = "y"
End With
Response.Write p.a & "|" & p.b
%>
