<%
Dim i
For i = 3 To 1 Step -1 : Response.Write i : Next
%>
