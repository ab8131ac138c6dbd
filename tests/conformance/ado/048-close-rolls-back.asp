<!--#include file="conn.inc"-->
<% conn.BeginTrans
conn.Execute "delete from 商品"
conn.Close
Set conn = Server.CreateObject("ADODB.Connection")
conn.Open "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" & Server.MapPath("data.mdb")
Response.Write Rows("select count(*) from 商品", "") %>
