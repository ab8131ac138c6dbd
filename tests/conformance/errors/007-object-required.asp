<%
Dim o
o.Go
%>
