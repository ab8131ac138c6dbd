<%= Session("v") %>
