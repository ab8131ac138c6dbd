<% On Error Resume Next
Dim s : Set s = Server.CreateObject("ADODB.Stream")
s.Open : s.LoadFromFile Server.MapPath("/") & "\..\..\secret.txt"
Response.Write Hex(Err.Number) %>
