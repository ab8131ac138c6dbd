<%= String(3, "abc") & "|" & String(2, 65) & "|" & String(0, "x") %>
