<%= FormatCurrency(1234.5) %>
