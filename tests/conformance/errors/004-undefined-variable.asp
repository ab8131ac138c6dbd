<% Option Explicit
Dim x
y = 1
%>
