<% Dim o : Set o = Nothing : Response.Write TypeName(o) %>
