<!--#include file="conn.inc"-->
<%= Rows("select 商品.名称, 分类.名称 from 商品 inner join 分类 on 商品.分类id = 分类.id order by 商品.id", "|") %>
