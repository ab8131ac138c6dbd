<%= Request.ServerVariables("SERVER_PORT") %>
