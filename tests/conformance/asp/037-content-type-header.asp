<% Response.ContentType = "text/plain" : Response.Write "x" %>
