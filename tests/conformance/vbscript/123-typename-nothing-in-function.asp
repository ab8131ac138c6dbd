<%
Function Kind(o)
  Kind = TypeName(o)
End Function
Dim d : Set d = Nothing
Response.Write Kind(d) & "|"
Response.Write TypeName(Server)
%>
