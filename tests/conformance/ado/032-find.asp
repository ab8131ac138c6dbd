<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open "select * from 商品 order by id", conn, 1, 1
rs.Find "名称 = '可乐'"
Response.Write rs("id") & "|"
rs.Find "名称 = '无'"
Response.Write rs.EOF %>
