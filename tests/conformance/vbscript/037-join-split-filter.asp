<%= Join(Split("a,b,c", ","), ",") & "|" & UBound(Split("", ",")) & "|" & UBound(Split("a<>b<>c", "<>")) & "|" & Join(Filter(Array("ab", "c", "xa"), "a"), ",") %>
