<% Dim p : p = Split("a,b,c", ",", 2) : Response.Write UBound(p) & "|" & p(1) %>
