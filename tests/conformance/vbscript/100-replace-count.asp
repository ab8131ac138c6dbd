<%= Replace("aaa", "a", "b", 1, 2) & "|" & Replace("aaa", "a", "b", 2) %>
