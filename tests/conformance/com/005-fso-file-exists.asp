<%
Dim fso : Set fso = Server.CreateObject("Scripting.FileSystemObject")
If fso.FileExists(Server.MapPath("005-fso-file-exists.asp")) Then Response.Write "yes|" Else Response.Write "no|"
If fso.FileExists(Server.MapPath("none.txt")) Then Response.Write "yes" Else Response.Write "no"
%>
