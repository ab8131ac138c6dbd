<% Dim o : Set o = Nothing : If o Is Nothing Then Response.Write "yes" Else Response.Write "no" %>
