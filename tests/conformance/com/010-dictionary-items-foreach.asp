<%
Dim d, k, s : Set d = CreateObject("Scripting.Dictionary")
d("x") = 1 : d("y") = 2
For Each k In d : s = s & d(k) & "," : Next
Response.Write Left(s, Len(s) - 1)
%>
