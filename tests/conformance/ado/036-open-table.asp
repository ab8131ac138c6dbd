<!--#include file="conn.inc"-->
<% Dim rs : Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open "分类", conn, 1, 1, 2
Response.Write rs.RecordCount & "," & rs.Fields.Count %>
