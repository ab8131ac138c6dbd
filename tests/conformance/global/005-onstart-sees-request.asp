<%= Session("firstPage") %>
