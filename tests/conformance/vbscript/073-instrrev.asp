<%= InStrRev("abcabc", "b") & "|" & InStrRev("abc", "z") %>
