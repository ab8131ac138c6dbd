<%= InStr("abcabc", "c") & "|" & InStr(1, "abc", "C") & "|" & Replace("abc", "a", "x") & "|" & Replace("abcabc", "B", "X", 1, -1, 1) %>
