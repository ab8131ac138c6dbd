<%
Dim fso, f, p : Set fso = Server.CreateObject("Scripting.FileSystemObject")
p = Server.MapPath("written.txt")
Set f = fso.CreateTextFile(p, True)
f.WriteLine "line1" : f.Write "line2" : f.Close
Set f = fso.OpenTextFile(p, 1)
Response.Write f.ReadLine & "|" & f.ReadAll
f.Close
%>
