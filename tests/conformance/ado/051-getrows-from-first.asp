<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open "select id from 商品 order by id", conn, 3, 1
rs.MoveLast
Dim a : a = rs.GetRows(-1, 1)
Response.Write UBound(a, 2) & "," & a(0, 0) %>
