<%
' Runs for about the seconds asked (?s=), then counts itself in the Application under Lock.
Dim started, hits
started = Timer
Do While Timer - started < CDbl(Request.QueryString("s")) And Timer >= started
Loop
Application.Lock
hits = Application("slow_hits") + 1
Application("slow_hits") = hits
Application.Unlock
Session("slow") = Session("slow") + 1
Response.Write "hits=" & hits & ";session=" & Session("slow") & ";"
%>
