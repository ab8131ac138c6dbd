<%
Dim x : x = "abc
%>
