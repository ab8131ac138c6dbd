<%= -CInt(Response.Buffer) & "|" & -CInt(Response.IsClientConnected) %>
