<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open "select 名称 from 分类 union all select 名称 from 分类", conn, 1, 1
Response.Write rs.RecordCount %>
