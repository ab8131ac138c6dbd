<%
Dim fso : Set fso = Server.CreateObject("Scripting.FileSystemObject")
If fso.FolderExists(Server.MapPath(".")) Then Response.Write "yes" Else Response.Write "no"
%>
