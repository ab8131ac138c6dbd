<%= Request("v") %>
