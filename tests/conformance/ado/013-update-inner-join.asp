<!--#include file="conn.inc"-->
<% conn.BeginTrans
Dim n : conn.Execute "UPDATE 库存 INNER JOIN 商品 ON 库存.商品id = 商品.id SET 库存.数量 = 库存.数量 + 1 WHERE 商品.名称 = '苹果'", n
Response.Write n & "|" & Rows("select 数量 from 库存 order by id", ",")
conn.RollbackTrans %>
