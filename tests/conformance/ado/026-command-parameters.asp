<!--#include file="conn.inc"-->
<% conn.BeginTrans
Dim cmd : Set cmd = Server.CreateObject("ADODB.Command")
Set cmd.ActiveConnection = conn
cmd.CommandText = "update 商品 set 名称 = ? where id = ?"
cmd.Parameters.Append cmd.CreateParameter("n", 202, 1, 50, "x' or '1'='1")
cmd.Parameters.Append cmd.CreateParameter("i", 3, 1, , 3)
Dim n : cmd.Execute n
Response.Write n & "|" & Rows("select 名称 from 商品 where id = 3", "")
conn.RollbackTrans %>
