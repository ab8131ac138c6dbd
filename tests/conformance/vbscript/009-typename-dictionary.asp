<% Dim d : Set d = Server.CreateObject("Scripting.Dictionary") : Response.Write TypeName(d) %>
