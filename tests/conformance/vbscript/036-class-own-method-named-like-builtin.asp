<%
Class T
  Function Join(a, b) : Join = "mine" : End Function
  Function Use() : Use = Join(1, 2) : End Function
End Class
Dim t : Set t = New T
Response.Write t.Use()
%>
