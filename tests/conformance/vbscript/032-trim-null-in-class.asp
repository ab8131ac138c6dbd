<%
Class T
  Function N() : N = VarType(Trim(Null)) : End Function
End Class
Dim t : Set t = New T
Response.Write t.N()
%>
