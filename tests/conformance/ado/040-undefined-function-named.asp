<!--#include file="conn.inc"-->
<% On Error Resume Next
conn.Execute "select nz(价格, 0) from 商品"
Response.Write Hex(Err.Number) & "|" & Err.Description %>
