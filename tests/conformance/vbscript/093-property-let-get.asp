<%
Class Named
  Private mName
  Public Property Let Name(v)
    mName = "[" & v & "]"
  End Property
  Public Property Get Name()
    Name = mName
  End Property
End Class
Dim n : Set n = New Named
n.Name = "X"
Response.Write n.Name
%>
