<%= Left("abc", 10) & "|" & Mid("abc", 5) %>
