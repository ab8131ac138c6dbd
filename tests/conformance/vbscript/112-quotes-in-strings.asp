<%= "a""b" & "|" & Len(vbCrLf) %>
