<%
Class T
  Function D() : D = DateAdd("m", 1, #2024-01-31#) : End Function
End Class
Dim t : Set t = New T
Response.Write t.D()
%>
