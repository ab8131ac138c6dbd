<% If Application("ended") >= 1 Then Response.Write "yes" Else Response.Write "no:" & Application("ended") %>
