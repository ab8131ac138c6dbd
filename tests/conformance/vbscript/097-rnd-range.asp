<%
Randomize
Dim r : r = Rnd
If r >= 0 And r < 1 Then Response.Write "yes" Else Response.Write "no"
%>
