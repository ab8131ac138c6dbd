<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open "select * from 商品 order by id", conn, 3, 3
rs.Filter = "价格 < 5 AND 名称 <> '可乐'"
Response.Write rs.RecordCount & "," & rs("名称") & "|"
rs.Filter = 0
Response.Write rs.RecordCount %>
