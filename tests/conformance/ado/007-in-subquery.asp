<!--#include file="conn.inc"-->
<%= Rows("select 名称 from 商品 where 分类id in (select id from 分类 where 名称 = '水果') order by id", "|") %>
