<%
Session("n") = Session("n") + 1
Response.Write Session("n")
%>
