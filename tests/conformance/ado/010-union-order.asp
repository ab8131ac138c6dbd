<!--#include file="conn.inc"-->
<%= Rows("select id, 名称 from 分类 where id = 1 union select id, 名称 from 商品 where id = 2 order by 2", "|") %>
