<%
Session("a") = 1 : Session("b") = 2
Response.Write Session.Contents.Count & "|"
Session.Contents.Remove "a"
Response.Write Session.Contents.Count & "|" & Session.Contents.Key(1)
%>
