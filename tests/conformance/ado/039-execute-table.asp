<!--#include file="conn.inc"-->
<% Dim rs : Set rs = conn.Execute("库存", , 2)
Response.Write rs("数量") %>
