<%
On Error Resume Next
Dim s : s = Mid("abc", 0, 1)
Response.Write Err.Number
%>
