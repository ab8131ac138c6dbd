<%
Dim a
ReDim a(3)
Erase a
On Error Resume Next
Dim n : n = UBound(a)
Response.Write Err.Number
%>
