<!--#include file="conn.inc"-->
<% conn.BeginTrans
Dim n : conn.Execute "insert into 库存 (商品id, 数量) select id, 价格 * 2 from 商品 where 价格 < 5", n
Response.Write n & "|" & Rows("select 数量 from 库存 where 商品id in (2, 3) order by 数量", ",")
conn.RollbackTrans %>
