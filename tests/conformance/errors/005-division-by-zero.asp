<%
Dim x : x = 1 / 0
%>
