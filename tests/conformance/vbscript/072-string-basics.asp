<%= Left("abcde", 2) & "|" & Right("xyz", 2) & "|" & Mid("abcde", 3, 2) & "|" & Len("abcde") & "|" & UCase("abc") & "|" & LCase("ABC") & "|[" & Space(2) & "]|" & StrReverse("abc") %>
