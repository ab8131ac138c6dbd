<% Response.Cookies("plain") = "a b" : Response.Write "x" %>
