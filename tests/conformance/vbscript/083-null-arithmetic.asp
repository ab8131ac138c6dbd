<% If IsNull(Null + 1) Then Response.Write "yes" Else Response.Write "no" %>
