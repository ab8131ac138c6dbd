<!--#include file="conn.inc"-->
<%= Rows("SELECT 分类.名称, 库存.数量 FROM (商品 INNER JOIN 分类 ON 商品.分类id = 分类.id) INNER JOIN 库存 ON 库存.商品id = 商品.id ORDER BY 库存.数量", "|") %>
