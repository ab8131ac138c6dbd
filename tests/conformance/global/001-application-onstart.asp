<%= Application("started") & "|" & Application("starts") %>
