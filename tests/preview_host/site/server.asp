<%
Dim d
Response.Write "map.self=" & Server.MapPath("server.asp") & ";"
Response.Write "map.root=" & Server.MapPath("/data/data.mdb") & ";"
Response.Write "url=" & Server.URLEncode("a b&c=中") & ";"
Response.Write "html=" & Replace(Server.HTMLEncode("<a href=""x"">&</a>"), ";", "!") & ";"
Set d = Server.CreateObject("Scripting.Dictionary")
d.Add "k", "v"
Response.Write "dict=" & d("k") & d.Count & ";"
Set d = CreateObject("Scripting.Dictionary")
d("n") = 5
Response.Write "dict2=" & d("n") & ";"
%>
