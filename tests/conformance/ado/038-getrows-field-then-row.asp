<!--#include file="conn.inc"-->
<% Dim a : a = conn.Execute("select id, 名称 from 分类 order by id").GetRows()
Response.Write UBound(a, 1) & "," & UBound(a, 2) & "," & a(1, 2) %>
