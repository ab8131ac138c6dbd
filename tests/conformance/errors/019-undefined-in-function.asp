<% Option Explicit
Dim r
Function F()
  F = missing + 1
End Function
r = F()
%>
