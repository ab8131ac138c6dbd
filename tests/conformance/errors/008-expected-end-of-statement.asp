<%
Dim x
x = 1 2
%>
