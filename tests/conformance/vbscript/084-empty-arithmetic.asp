<% Dim e : Response.Write e + 1 & "|" & e & "x" %>
