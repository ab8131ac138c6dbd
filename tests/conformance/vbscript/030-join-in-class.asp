<%
Class T
  Function J() : J = Join(Array("a", "b"), "-") : End Function
End Class
Dim obj : Set obj = New T
Response.Write obj.J()
%>
