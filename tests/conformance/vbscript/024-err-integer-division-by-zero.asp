<%
On Error Resume Next
Dim x : x = 5 \ 0
Response.Write Err.Number
%>
