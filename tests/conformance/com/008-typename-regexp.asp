<% Dim r : Set r = New RegExp : Response.Write TypeName(r) %>
