<%= Session("start") %>
