<%
On Error Resume Next
Dim d : Set d = CreateObject("Scripting.Dictionary")
d.Add "a", 1
d.Add "a", 2
Response.Write Err.Number
%>
