<%
Response.Write Request.Cookies("m")("k") & "|" & Request.Cookies("m")("n") & "|"
If Request.Cookies("m").HasKeys Then Response.Write "yes" Else Response.Write "no"
%>
