<% Dim s : Set s = Server.CreateObject("ADODB.Stream")
s.Open
s.WriteText "ab"
Response.Write s.Size & "|"
s.Position = 0
Response.Write s.ReadText & "|" & s.Charset %>
