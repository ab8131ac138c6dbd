<!--#include file="conn.inc"-->
<% Dim rs : Set rs = conn.Execute("select id, 名称 from 商品 order by id")
Dim a : a = rs.GetRows(2)
Response.Write UBound(a, 2) & "," & a(1, 1) & "," & rs("名称") %>
