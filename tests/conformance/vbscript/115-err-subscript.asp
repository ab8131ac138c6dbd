<%
On Error Resume Next
Dim a(2), x
x = a(5)
Response.Write Err.Number
%>
