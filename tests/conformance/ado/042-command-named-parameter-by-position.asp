<!--#include file="conn.inc"-->
<% Dim cmd : Set cmd = Server.CreateObject("ADODB.Command")
Set cmd.ActiveConnection = conn
cmd.CommandText = "select count(*) from 商品 where 价格 > [最低价] and 价格 < [最高价]"
cmd.Parameters.Append cmd.CreateParameter("最低价", 5, 1, , 2)
cmd.Parameters.Append cmd.CreateParameter("最高价", 5, 1, , "6")
Dim rs : Set rs = cmd.Execute()
Response.Write rs(0) %>
