<!--#include file="conn.inc"-->
<%= Rows("select 名称 from 分类 where not exists (select * from 商品 where 商品.分类id = 分类.id)", "|") %>
