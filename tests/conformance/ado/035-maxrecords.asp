<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.MaxRecords = 2
rs.Open "select * from 商品 order by id desc", conn, 3, 1
Response.Write rs.RecordCount & "," & rs("id") %>
