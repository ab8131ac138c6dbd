<%
Dim r : Set r = New RegExp
r.Pattern = "^ab" : r.IgnoreCase = True
If r.Test("ABc") Then Response.Write "yes" Else Response.Write "no"
%>
