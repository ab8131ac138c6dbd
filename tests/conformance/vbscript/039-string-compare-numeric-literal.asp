<%
Dim x : x = "5"
If x = 5 Then Response.Write "yes" Else Response.Write "no"
%>
