<%
Dim s : s = "abc"
Dim n : n = CInt(s)
%>
