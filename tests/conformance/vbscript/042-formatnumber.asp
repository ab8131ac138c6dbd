<%= FormatNumber(1234.5) & "|" & FormatNumber(0.5) & "|" & FormatNumber(-1234.4, 0) %>
