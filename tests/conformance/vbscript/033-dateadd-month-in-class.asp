<%
Class T
  Function D() : D = DateAdd("m", 1, #2024-01-31#) : End Function
End Class
Dim obj : Set obj = New T
Response.Write obj.D()
%>
