<%= LenB("abc") & "|" & LenB("") %>
