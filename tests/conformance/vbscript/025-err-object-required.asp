<%
On Error Resume Next
Dim o
o.Go
Response.Write Err.Number
%>
