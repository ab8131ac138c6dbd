<%
Dim a
a = 1 +
%>