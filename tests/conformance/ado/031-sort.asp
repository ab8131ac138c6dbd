<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.CursorLocation = 3
rs.Open "select * from 商品", conn, 3, 1
rs.Sort = "价格 DESC"
Do While Not rs.EOF : Response.Write rs("价格") & "," : rs.MoveNext : Loop %>
