<%
If "Z" < "a" Then Response.Write "yes|" Else Response.Write "no|"
If "a" = "A" Then Response.Write "yes|" Else Response.Write "no|"
Response.Write StrComp("A", "a") & "|" & StrComp("a", "A")
%>
