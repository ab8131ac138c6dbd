<%
Dim g1, g2
g1 = Server.CreateObject("Scriptlet.TypeLib").Guid
g2 = CreateObject("Scriptlet.TypeLib").Guid
Response.Write "g1=" & Left(g1, 38) & ";len=" & Len(g1) & ";tail=" & AscW(Mid(g1, 39, 1)) & AscW(Mid(g1, 40, 1)) & ";g2=" & Left(g2, 38) & ";"
%>
