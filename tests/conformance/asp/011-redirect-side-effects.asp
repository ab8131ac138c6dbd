<%
If IsEmpty(Session("after")) Then Response.Write "empty" Else Response.Write Session("after")
%>
