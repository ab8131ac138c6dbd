<!--#include file="conn.inc"-->
<%= Rows("select t.n from (select 分类id, count(*) as n from 商品 group by 分类id) as t where t.分类id = 1", "|") %>
