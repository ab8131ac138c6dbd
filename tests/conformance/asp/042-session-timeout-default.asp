<%= Session.Timeout %>
