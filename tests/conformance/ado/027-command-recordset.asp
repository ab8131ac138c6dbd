<!--#include file="conn.inc"-->
<% Dim cmd : Set cmd = Server.CreateObject("ADODB.Command")
cmd.ActiveConnection = conn
cmd.CommandText = "select 名称 from 商品 where 价格 > ? order by id"
Dim rs : Set rs = cmd.Execute(, Array(4))
Do While Not rs.EOF : Response.Write rs(0) & "," : rs.MoveNext : Loop %>
