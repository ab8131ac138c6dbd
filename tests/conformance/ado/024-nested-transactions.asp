<!--#include file="conn.inc"-->
<% Response.Write conn.BeginTrans & ","
conn.Execute "insert into 分类 (名称) values ('甲')"
Response.Write conn.BeginTrans & ","
conn.Execute "insert into 分类 (名称) values ('乙')"
conn.CommitTrans
conn.RollbackTrans
Response.Write Rows("select count(*) from 分类", "") %>
