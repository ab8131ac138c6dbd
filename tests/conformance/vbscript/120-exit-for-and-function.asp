<%
Function Find()
  Dim i
  For i = 1 To 5
    If i = 2 Then Exit For
  Next
  Response.Write i & "|"
  Find = "early"
  Exit Function
  Find = "late"
End Function
Response.Write Find()
%>
