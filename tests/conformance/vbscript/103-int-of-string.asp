<%= Int(12.7) & "|" & TypeName(Int("12.7")) %>
