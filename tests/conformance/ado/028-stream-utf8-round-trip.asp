<% Dim s : Set s = Server.CreateObject("ADODB.Stream")
s.Type = 2 : s.Charset = "utf-8" : s.Open
s.WriteText "中文 abc"
s.SaveToFile Server.MapPath("stream.txt"), 2
s.Close
s.Open : s.LoadFromFile Server.MapPath("stream.txt")
Response.Write s.Size & "|" & s.ReadText
s.Close %>
