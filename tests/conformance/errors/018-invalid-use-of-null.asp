<%
Dim n : n = CInt(Null)
%>
