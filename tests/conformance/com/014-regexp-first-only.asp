<%
Dim r : Set r = New RegExp
r.Pattern = "a|-" : r.Global = False
Response.Write r.Replace("a-b-c", "x")
%>
