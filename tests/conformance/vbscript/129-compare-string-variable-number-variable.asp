<%
Dim s, y : s = "8" : y = 9
If s > y Then Response.Write "yes|" Else Response.Write "no|"
If s > 9 Then Response.Write "yes" Else Response.Write "no"
%>
