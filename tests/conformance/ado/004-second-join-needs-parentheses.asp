<!--#include file="conn.inc"-->
<% On Error Resume Next
conn.Execute "select * from 商品 inner join 分类 on 商品.分类id = 分类.id inner join 库存 on 库存.商品id = 商品.id"
Response.Write Hex(Err.Number) & "|" & Err.Description %>
