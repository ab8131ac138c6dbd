<%
Dim r : Set r = New RegExp
r.Pattern = "^x" : r.Global = True : r.Multiline = True
Response.Write r.Execute("x1" & vbLf & "x2").Count
%>
