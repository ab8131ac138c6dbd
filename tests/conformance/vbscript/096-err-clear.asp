<%
On Error Resume Next
Dim x : x = 1 / 0
Response.Write Err.Number & "|"
Err.Clear
Response.Write Err.Number
%>
