<%
Dim r, m : Set r = New RegExp
r.Pattern = "d\w+"
Set m = r.Execute("abc def")(0)
Response.Write m.FirstIndex & "|" & m.Length & "|" & m.Value
%>
