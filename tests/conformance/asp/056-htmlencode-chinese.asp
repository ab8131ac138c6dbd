<%= Server.HTMLEncode("中文<") %>
