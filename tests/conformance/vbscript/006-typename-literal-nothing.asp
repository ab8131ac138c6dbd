<%= TypeName(Nothing) %>
