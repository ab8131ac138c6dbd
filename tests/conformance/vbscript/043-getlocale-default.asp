<%= GetLocale() %>
