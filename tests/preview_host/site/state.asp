<%
' What a restarted host must still know: session values of every kind and Application values.
Select Case Request.QueryString("case")
Case "set"
	Session("n") = 41
	Session("text") = "中文 ""quoted"""
	Session("when") = #2024-02-29 13:45:00#
	Session("list") = Array(1, "二", Null, True, 1.5, Array("in", CCur(12.34)))
	Session("fail") = "3|45000.5"
	Set Session("dict") = Server.CreateObject("Scripting.Dictionary")
	Application("kovel_fail_127.0.0.1") = "5|45000.25"
	Response.Write "id=" & Session.SessionID & ";"
Case "get"
	Response.Write "id=" & Session.SessionID & ";n=" & Session("n") & ";ntype=" & TypeName(Session("n")) & ";"
	Response.Write "text=" & Session("text") & ";when=" & Year(Session("when")) & "-" & Month(Session("when")) & "-" & Day(Session("when")) & " " & Hour(Session("when")) & ":" & Minute(Session("when")) & ";"
	Dim l, inner
	l = Session("list")
	inner = l(5)
	Response.Write "list=" & UBound(l) & "," & l(1) & "," & IsNull(l(2)) & "," & TypeName(l(3)) & "," & l(4) & "," & inner(0) & "," & TypeName(inner(1)) & ";"
	Response.Write "fail=" & Session("fail") & ";app=" & Application("kovel_fail_127.0.0.1") & ";dict=" & IsObject(Session("dict")) & ";"
End Select
%>
