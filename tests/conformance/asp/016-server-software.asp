<%= Request.ServerVariables("SERVER_SOFTWARE") %>
