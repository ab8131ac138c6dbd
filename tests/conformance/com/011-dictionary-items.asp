<%
Dim d : Set d = CreateObject("Scripting.Dictionary")
d.Add "a", 1 : d.Add "b", 2
Response.Write Join(d.Items, ",")
%>
