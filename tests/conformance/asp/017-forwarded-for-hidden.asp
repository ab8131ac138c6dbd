<%= "[" & Request.ServerVariables("HTTP_X_FORWARDED_FOR") & "]|" & Request.ServerVariables("REMOTE_ADDR") %>
