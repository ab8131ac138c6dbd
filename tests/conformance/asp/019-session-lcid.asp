<%
Session.LCID = 1033
Response.Write #2024-03-05# & "|" & Session.LCID
%>
