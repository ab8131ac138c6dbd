<!--#include file="conn.inc"-->
<%= Rows("select 商品.名称 from 商品, 分类 where 商品.分类id = 分类.id and 分类.名称 = '饮料'", "|") %>
