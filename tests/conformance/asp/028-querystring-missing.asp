<%
Response.Write "[" & Request.QueryString("none") & "]|" & Request.QueryString("none").Count & "|"
If IsEmpty(Request.QueryString("none")) Then Response.Write "yes" Else Response.Write "no"
%>
