<%
Dim fso : Set fso = Server.CreateObject("Scripting.FileSystemObject")
Response.Write fso.GetExtensionName("c:\d\a.txt") & "|" & fso.GetBaseName("c:\d\a.txt") & "|" & fso.GetFileName("c:\d\a.txt")
%>
