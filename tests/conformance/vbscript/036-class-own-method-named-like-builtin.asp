<%
Class T
  Function Join(a, b) : Join = "mine" : End Function
  Function Use() : Use = Join(1, 2) : End Function
End Class
Dim obj : Set obj = New T
Response.Write obj.Use()
%>
