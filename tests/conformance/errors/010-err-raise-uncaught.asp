<% Err.Raise 5000, "MySrc", "boom" %>
