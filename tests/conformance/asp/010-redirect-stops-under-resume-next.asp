<%
On Error Resume Next
Response.Redirect "009-end-side-effects-stop.asp"
Session("after") = "ran"
%>
