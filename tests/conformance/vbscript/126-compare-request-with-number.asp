<%
If Request.QueryString("page") = 2 Then Response.Write "yes|" Else Response.Write "no|"
If Request.QueryString("n") >= 10 Then Response.Write "yes" Else Response.Write "no"
%>
