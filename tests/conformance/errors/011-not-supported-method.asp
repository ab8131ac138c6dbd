<%
Dim d : Set d = Server.CreateObject("Scripting.Dictionary")
d.Nope
%>
