<%
Dim d : Set d = Server.CreateObject("Scripting.Dictionary")
d.Add "a", "1" : d.Add "c", "b"
Response.Write d.Count & "|"
If d.Exists("a") Then Response.Write "yes|" Else Response.Write "no|"
Response.Write d("c") & "|" & Join(d.Keys, ",")
%>
