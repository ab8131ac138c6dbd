<%
Class T
  Function N() : N = VarType(Trim(Null)) : End Function
End Class
Dim obj : Set obj = New T
Response.Write obj.N()
%>
