<%= "[" & Session("v") & "]" %>
