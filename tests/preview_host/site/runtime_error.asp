<html>
<%
Dim a
a = 1
Response.Write "start"
Call NoSuchSub(a)
%>
</html>
