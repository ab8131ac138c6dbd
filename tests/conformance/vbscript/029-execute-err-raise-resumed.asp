<%
On Error Resume Next
Execute "Err.Raise 1234"
Response.Write Err.Number
%>
