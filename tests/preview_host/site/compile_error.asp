<%
Dim a
If a Then
	Response.Write "x"
%>
