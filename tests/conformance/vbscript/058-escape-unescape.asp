<%= Escape("a b中") & "|" & Unescape("a%20b%u4E2D") %>
