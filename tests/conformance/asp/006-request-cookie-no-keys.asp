<%
Response.Write Request.Cookies("plain") & "|"
If Request.Cookies("plain").HasKeys Then Response.Write "yes" Else Response.Write "no"
%>
