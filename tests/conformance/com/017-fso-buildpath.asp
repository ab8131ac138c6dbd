<%
Dim fso : Set fso = Server.CreateObject("Scripting.FileSystemObject")
Response.Write fso.BuildPath("c:\d", "e.txt")
%>
