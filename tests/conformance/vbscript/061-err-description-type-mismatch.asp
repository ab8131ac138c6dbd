<%
On Error Resume Next
Dim x : x = CInt("abc")
Response.Write Err.Description
%>
