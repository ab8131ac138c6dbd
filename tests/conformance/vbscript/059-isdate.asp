<%= -CInt(IsDate("2024-01-31")) & "|" & -CInt(IsDate("abc")) & "|" & -CInt(IsDate("2024/1/31")) %>
