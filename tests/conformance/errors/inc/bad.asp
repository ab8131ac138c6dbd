<%
Function Bad()
  Bad = 1 / 0
End Function
%>
