<!--#include file="conn.inc"-->
<% conn.Execute "CREATE TABLE 日志 (编号 COUNTER PRIMARY KEY, 内容 TEXT(10) NOT NULL, 次数 LONG, 时间 DATETIME, 好 YESNO)"
conn.Execute "insert into 日志 (内容, 次数, 好) values ('a', 3, true)"
Dim rs : Set rs = conn.Execute("select * from 日志")
Response.Write rs("内容") & "," & rs("次数") & "," & rs("好") & "," & rs.Fields(1).DefinedSize & "|"
rs.Close
conn.Execute "DROP TABLE 日志"
On Error Resume Next
conn.Execute "select * from 日志"
Response.Write Hex(Err.Number) %>
