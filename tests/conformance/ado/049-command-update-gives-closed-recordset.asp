<!--#include file="conn.inc"-->
<% conn.BeginTrans
Dim cmd : Set cmd = Server.CreateObject("ADODB.Command")
Set cmd.ActiveConnection = conn
cmd.CommandText = "update 商品 set 价格 = 价格 + ? where 分类id = ?"
Dim n, r : Set r = cmd.Execute(n, Array(1, 1))
Response.Write n & "|" & r.State & "|" & Rows("select 价格 from 商品 where 分类id = 1 order by id", ",")
conn.RollbackTrans %>
