<!--#include file="conn.inc"-->
<% On Error Resume Next
conn.Execute "select nosuch from 商品"
Response.Write conn.Errors.Count & "|" & Hex(conn.Errors(0).Number) & "|" & conn.Errors(0).Description
conn.Errors.Clear
Response.Write "|" & conn.Errors.Count %>
