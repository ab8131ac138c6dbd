<% Response.Status = "404 Not Found" : Response.Write "gone" %>
