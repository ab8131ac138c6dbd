<%= ChrW(&H4E2D) & "|" & StrComp("a", "b") %>
