<%= -CInt(IsNull(Request.Cookies("none"))) & "|" & -CInt(IsEmpty(Request.Cookies("none"))) & "|" & -CInt(Request.Cookies("none") = "") %>
