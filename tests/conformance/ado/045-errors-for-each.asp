<!--#include file="conn.inc"-->
<% On Error Resume Next
conn.Execute "select * from 无此表"
Dim e
For Each e In conn.Errors
    Response.Write Hex(e.Number) & "|" & e.Source
Next %>
