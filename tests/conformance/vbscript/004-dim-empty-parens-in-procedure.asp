<%
Function Grow()
  Dim list(), n
  n = 3
  ReDim list(n)
  Grow = UBound(list)
End Function
Response.Write Grow()
%>
