<%
Dim d : Set d = CreateObject("Scripting.Dictionary")
d(1) = "n" : d("1") = "s"
Response.Write d.Count
%>
