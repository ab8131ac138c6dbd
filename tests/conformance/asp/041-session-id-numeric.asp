<% If IsNumeric(Session.SessionID) Then Response.Write "yes" Else Response.Write "no" %>
