<%
Dim s, x : s = ""
For Each x In Array("a", "b", "c") : s = s & x : Next
Response.Write s
%>
