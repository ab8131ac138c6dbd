<!--#include file="conn.asp"-->
<%
Dim rs, n, f, affected
Select Case Request.QueryString("case")
Case "read"
	Set rs = Server.CreateObject("ADODB.Recordset")
	rs.Open "select * from items order by id", conn, 1, 1
	Response.Write "count=" & rs.RecordCount & ";"
	Do While Not rs.EOF
		Response.Write rs("id") & ":" & rs("name") & ":" & rs(2) & ":" & rs.Fields("qty").Value & ":" & IsNull(rs("qty")) & ":" & IsNull(rs("note")) & "|"
		rs.MoveNext
	Loop
	Response.Write ";eof=" & rs.EOF & ";"
	rs.MoveFirst
	Response.Write "first=" & rs("name") & ";bof=" & rs.BOF & ";"
	Set f = rs.Fields("name")
	Response.Write "field=" & f.Name & "," & f.Type & "," & f.DefinedSize & ";"
	Response.Write "qtytype=" & rs.Fields("qty").Type & ";borntype=" & rs.Fields("born").Type & ";oktype=" & rs.Fields("ok").Type & ";"
	Response.Write "fields=" & rs.Fields.Count & ";"
	Response.Write "ok=" & rs("ok") & ";"
	Response.Write "born=" & Year(rs("born")) & "-" & Month(rs("born")) & "-" & Day(rs("born")) & ";"
	Session("kept") = rs("name")
	Response.Write "session=" & Session("kept") & ";"
	rs.Close
	Response.Write "state=" & rs.State & ";"
Case "forward"
	Set rs = conn.Execute("select name from items where name like 'b%'")
	Response.Write "count=" & rs.RecordCount & ";name=" & rs("name") & ";"
Case "paging"
	Set rs = Server.CreateObject("ADODB.Recordset")
	rs.Open "select * from pages order by id", conn, 1, 1
	rs.PageSize = 10
	Response.Write "count=" & rs.RecordCount & ";pages=" & rs.PageCount & ";"
	rs.AbsolutePage = 3
	Response.Write "page=" & rs.AbsolutePage & ";"
	n = 0
	Do While Not rs.EOF And n < rs.PageSize
		Response.Write rs("title") & ","
		n = n + 1
		rs.MoveNext
	Loop
Case "properties"
	Set rs = Server.CreateObject("ADODB.Recordset")
	rs.ActiveConnection = conn
	rs.Source = "select * from pages where id <= 5"
	rs.CursorType = 3
	rs.CursorLocation = 3
	rs.LockType = 1
	rs.Open
	Response.Write "count=" & rs.RecordCount & ";"
Case "add"
	Set rs = Server.CreateObject("ADODB.Recordset")
	rs.Open "select * from items where 1=0", conn, 1, 3
	rs.AddNew
	rs("name") = Request.QueryString("name")
	rs("qty") = 9
	rs("born") = DateSerial(2024, 5, 6)
	rs.Update
	Response.Write "new=" & rs("id") & ";"
	rs.Close
	Set rs = conn.Execute("select qty from items where name='" & Replace(Request.QueryString("name"), "'", "''") & "'")
	Response.Write "qty=" & rs("qty") & ";"
Case "update"
	Set rs = Server.CreateObject("ADODB.Recordset")
	rs.Open "select * from items where name='apple'", conn, 1, 3
	rs("qty") = rs("qty") + 10
	rs.Update
	rs.Close
	conn.Execute "update items set note='x' where name='banana'", affected
	Response.Write "affected=" & affected & ";"
	Set rs = conn.Execute("select qty from items where name='APPLE'")
	Response.Write "qty=" & rs("qty") & ";"
Case "delete"
	Set rs = Server.CreateObject("ADODB.Recordset")
	rs.Open "select * from items where name='" & Request.QueryString("name") & "'", conn, 1, 3
	rs.Delete
	rs.Close
	Set rs = conn.Execute("select count(*) from items where name='" & Request.QueryString("name") & "'")
	Response.Write "left=" & rs(0) & ";"
Case "chinese"
	Set rs = conn.Execute("select 名称, 金额 from 账目 where 名称='" & Request.QueryString("n") & "'")
	Response.Write "row=" & rs("名称") & ":" & rs("金额") & ";"
Case "badsql"
	conn.Execute "select from where"
Case "caught"
	On Error Resume Next
	Set rs = Server.CreateObject("ADODB.Recordset")
	rs.Open "select * from items", conn, 1, 3
	rs.AddNew
	rs("qty") = ""
	Response.Write "err=" & Hex(Err.Number) & ";src=" & Err.Source & ";"
	Err.Clear
	rs.CancelUpdate
	rs.Close
	Set rs = conn.Execute("select * from nosuchtable")
	Response.Write "missing=" & Hex(Err.Number) & ";"
Case "eof"
	Set rs = conn.Execute("select * from items where 1=0")
	Response.Write rs("name")
End Select
%>
