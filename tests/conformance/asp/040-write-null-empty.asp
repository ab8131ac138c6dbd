<% Dim e : Response.Write "[" : Response.Write Null : Response.Write e : Response.Write "]" %>
