<%= StrComp("abc", "ABC", 1) & "|" & StrComp("abc", "ABC", vbTextCompare) %>
