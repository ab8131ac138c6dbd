<%
Dim r : Set r = New RegExp
r.Pattern = "\s+" : r.Global = True
Response.Write r.Replace("a  b   c", "-")
%>
