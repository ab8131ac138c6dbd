<!--#include file="conn.inc"-->
<% Dim cmd : Set cmd = Server.CreateObject("ADODB.Command")
Set cmd.ActiveConnection = conn
cmd.CommandText = "select id, 名称 from 商品 where 分类id = ? order by id"
cmd.Parameters.Append cmd.CreateParameter("c", 3, 1, , 1)
Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open cmd, , 3, 1
Response.Write rs.RecordCount & "|" & rs("名称") %>
