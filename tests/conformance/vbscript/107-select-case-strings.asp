<%
Select Case "b"
  Case "a" : Response.Write "first"
  Case "b", "c" : Response.Write "second"
  Case Else : Response.Write "other"
End Select
%>
