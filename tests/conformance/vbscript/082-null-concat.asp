<%
Response.Write "a" & Null & "|"
If IsNull(Len(Null)) Then Response.Write "yes" Else Response.Write "no"
%>
