<%
On Error Resume Next
Dim x : x = "a" + 1
Response.Write Err.Number
%>
