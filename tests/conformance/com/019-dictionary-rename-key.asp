<%
Dim d : Set d = CreateObject("Scripting.Dictionary")
d.Add "a", 1
d.Key("a") = "b"
If d.Exists("a") Then Response.Write "yes|" Else Response.Write "no|"
Response.Write d("b")
%>
