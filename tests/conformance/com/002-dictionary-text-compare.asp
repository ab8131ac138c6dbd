<%
Dim d : Set d = CreateObject("Scripting.Dictionary")
d.CompareMode = 1
d.Add "Key", 1
If d.Exists("KEY") Then Response.Write "yes" Else Response.Write "no"
%>
