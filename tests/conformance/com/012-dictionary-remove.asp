<%
Dim d : Set d = CreateObject("Scripting.Dictionary")
d.Add "a", 1 : d.Add "b", 2
d.Remove "a"
If d.Exists("a") Then Response.Write "yes|" Else Response.Write "no|"
Response.Write d.Count
%>
