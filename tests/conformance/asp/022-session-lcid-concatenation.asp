<%
Session.LCID = 1033
Dim s : s = #2024-03-05# & " x"
Response.Write s
%>
