<%= Request.ServerVariables("REMOTE_ADDR") %>|<%= Request.ServerVariables("ALL_RAW") %>
