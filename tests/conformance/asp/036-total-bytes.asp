<%= Request.TotalBytes & "|" & Request.ServerVariables("REQUEST_METHOD") %>
