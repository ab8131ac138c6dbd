<%
If "abc" < "abd" Then Response.Write "yes|" Else Response.Write "no|"
If "B" > "a" Then Response.Write "yes|" Else Response.Write "no|"
If "中" > "A" Then Response.Write "yes" Else Response.Write "no"
%>
