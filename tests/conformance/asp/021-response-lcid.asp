<%
Response.LCID = 1031
Response.Write #2024-03-05# & "|" & 1.5
%>
