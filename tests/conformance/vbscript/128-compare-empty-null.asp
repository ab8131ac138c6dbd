<%
Dim e
If e = 0 Then Response.Write "yes|" Else Response.Write "no|"
If Null = 1 Then Response.Write "yes|" Else Response.Write "no|"
If Null <> 1 Then Response.Write "yes" Else Response.Write "no"
%>
