<%
Dim n : n = 12
Select Case True
  Case n > 10 : Response.Write "big"
  Case Else : Response.Write "small"
End Select
%>
