<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open "select * from 商品 order by id", conn, 1, 1
rs.MoveNext : rs.MoveNext
Dim b : b = rs.Bookmark
rs.MoveFirst
rs.Bookmark = b
Response.Write rs("名称") %>
