<%
If Date() > #2000-01-01# Then Response.Write "yes|" Else Response.Write "no|"
Dim i : i = 0
Do While i < 3 : i = i + 1 : Loop
Response.Write i
%>
