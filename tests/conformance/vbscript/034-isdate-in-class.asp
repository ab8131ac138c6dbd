<%
Class T
  Function D() : D = IsDate("2024-01-31") : End Function
End Class
Dim obj : Set obj = New T
If obj.D() Then Response.Write "yes" Else Response.Write "no"
%>
