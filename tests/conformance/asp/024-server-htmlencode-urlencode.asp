<%= Server.HTMLEncode("<b>&") & "|" & Server.URLEncode("a b&") %>
