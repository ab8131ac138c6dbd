<!--#include file="conn.inc"-->
<% conn.BeginTrans
conn.Execute "delete from 商品"
conn.RollbackTrans
Response.Write Rows("select count(*) from 商品", "") %>
