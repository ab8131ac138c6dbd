<%
Class P : Public a, b : End Class
Dim o : Set o = New P
With o
  .a = "x" : .b = "y"
End With
Response.Write o.a & "|" & o.b
%>
