<%
Session("a") = Array("a", "b", "c")
Response.Write Session("a")(1) & "|" & Session.Contents("a")(2)
%>
