<%
Dim key
Select Case Request.QueryString("case")
Case "set"
	Session("user") = "li"
	Session("count") = 1
	Set Session("dict") = Server.CreateObject("Scripting.Dictionary")
	Session.Timeout = 30
	Response.Write "id=" & Session.SessionID & ";"
Case "get"
	Session("count") = Session("count") + 1
	Response.Write "id=" & Session.SessionID & ";user=" & Session("user") & ";count=" & Session("count") & ";"
	Response.Write "timeout=" & Session.Timeout & ";contents=" & Session.Contents.Count & ";"
	Response.Write "dict=" & IsObject(Session("dict")) & ";"
	Response.Write "keys="
	For Each key In Session.Contents
		Response.Write key & ","
	Next
	Response.Write ";"
Case "remove"
	Session.Contents.Remove "user"
	Response.Write "user=" & Session("user") & ";contents=" & Session.Contents.Count & ";"
Case "abandon"
	Session.Abandon
	Response.Write "abandoned;"
Case "app"
	Application.Lock
	Application("hits") = Application("hits") + 1
	Application.Unlock
	Response.Write "hits=" & Application("hits") & ";"
End Select
%>
