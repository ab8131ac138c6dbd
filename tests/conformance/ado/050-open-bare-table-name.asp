<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open "[商品]", conn, 3, 1
Response.Write rs.RecordCount & "|" & conn.Execute("分类")("名称") %>
