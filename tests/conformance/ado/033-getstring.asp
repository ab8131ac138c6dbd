<!--#include file="conn.inc"-->
<% Dim rs : Set rs = conn.Execute("select id, 分类id from 商品 order by id")
Response.Write rs.GetString(2, , ",", ";", "-") %>
