<%= Application("starts") %>
