<% Dim s : Set s = Server.CreateObject("ADODB.Stream")
s.Type = 2 : s.Charset = "us-ascii" : s.Open
s.WriteText "ABC"
s.Position = 0 : s.Type = 1
s.Read 2
Response.Write s.Position & "|" & s.EOS %>
