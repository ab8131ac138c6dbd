<%
Class T
  Function D() : D = IsDate("2024-01-31") : End Function
End Class
Dim t : Set t = New T
If t.D() Then Response.Write "yes" Else Response.Write "no"
%>
