<% Response.Redirect "target.asp?x=1" %>
