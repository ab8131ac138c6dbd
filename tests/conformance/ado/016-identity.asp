<!--#include file="conn.inc"-->
<% conn.BeginTrans
conn.Execute "insert into 分类 (名称) values ('新')"
Response.Write conn.Execute("SELECT @@IDENTITY")(0)
conn.RollbackTrans %>
