<!--#include file="conn.inc"-->
<% conn.BeginTrans
Dim n : conn.Execute "delete from 分类 where id not in (select 分类id from 商品 where 分类id is not null)", n
Response.Write n & "|" & Rows("select 名称 from 分类 order by id", ",")
conn.RollbackTrans %>
