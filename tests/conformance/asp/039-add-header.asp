<% Response.AddHeader "X-Mine", "yes" : Response.Write "x" %>
