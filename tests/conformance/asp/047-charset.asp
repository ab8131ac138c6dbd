<% Response.Charset = "utf-8" : Response.Write "x" %>
