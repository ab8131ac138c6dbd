<%
On Error Resume Next
Execute "x = = 1"
Response.Write "after|"
If Err.Number <> 0 Then Response.Write "yes" Else Response.Write "no"
%>
