<% Dim s : Set s = Server.CreateObject("ADODB.Stream")
s.Open : s.Charset = "gb2312"
s.WriteText "第一行", 1 : s.WriteText "第二行", 1
s.Position = 0
Response.Write s.ReadText(-2) & "|" & s.ReadText(-2) & "|" & s.EOS %>
