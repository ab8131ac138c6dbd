<%
On Error Resume Next
Dim x : x = CInt(40000)
Response.Write Err.Number
%>
