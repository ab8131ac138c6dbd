<!--#include file="conn.inc"-->
<% On Error Resume Next
conn.CommitTrans
Response.Write Hex(Err.Number) & "|" & Err.Description %>
