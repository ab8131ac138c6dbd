<%
Dim d : Set d = CreateObject("Scripting.Dictionary")
Response.Write "[" & d("none") & "]|" & d.Count
%>
