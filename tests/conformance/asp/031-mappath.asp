<%
If Right(Server.MapPath("x.asp"), 6) = "\x.asp" Then Response.Write "yes" Else Response.Write "no"
%>
