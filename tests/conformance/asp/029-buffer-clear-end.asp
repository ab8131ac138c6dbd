<%
Response.Write "lost"
Response.Clear
Response.Write "kept"
Response.End
Response.Write "never"
%>
