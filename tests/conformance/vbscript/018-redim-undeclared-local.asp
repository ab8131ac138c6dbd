<%
Function Make()
  ReDim local(4)
  Make = UBound(local)
End Function
Response.Write Make()
%>
