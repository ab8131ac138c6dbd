<%= -CInt(IsNumeric("1e3")) & "|" & -CInt(IsNumeric("")) & "|" & -CInt(IsNumeric(" 12 ")) %>
