<%
Dim x
If x Then
  x = 1
%>
