<%
On Error Resume Next
Response.Write "before"
Response.End
Session("after") = "ran"
Response.Write "after"
%>
