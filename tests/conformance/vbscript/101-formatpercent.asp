<%= FormatPercent(0.5) & "|" & FormatPercent(0.12345) %>
