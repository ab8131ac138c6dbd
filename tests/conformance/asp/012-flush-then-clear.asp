<%
Response.Write "one|"
Response.Flush
Response.Write "two|"
Response.Clear
Response.Write "three"
%>
