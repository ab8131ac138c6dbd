<%
Dim r, m : Set r = New RegExp
r.Pattern = "(\d{4})-(\d{2})" : r.Global = True
Set m = r.Execute("2024-03 and 2025-04")
Response.Write m.Count & "|" & m(0).SubMatches(0) & "|" & m(0).SubMatches(1)
%>
