<%
Class T
  Function J() : J = Join(Array("a", "b"), "-") : End Function
End Class
Dim t : Set t = New T
Response.Write t.J()
%>
