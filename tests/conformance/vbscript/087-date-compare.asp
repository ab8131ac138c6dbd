<% If #2024-01-01# < #2024-02-01# Then Response.Write "yes" Else Response.Write "no" %>
