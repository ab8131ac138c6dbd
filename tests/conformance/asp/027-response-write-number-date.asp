<%
Response.Write 1.5
Response.Write "|"
Response.Write #2024-03-05#
%>
