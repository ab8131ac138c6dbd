<%
Response.Cookies("c")("k") = "v"
Response.Cookies("c")("j") = "w"
Response.Write "done"
%>
