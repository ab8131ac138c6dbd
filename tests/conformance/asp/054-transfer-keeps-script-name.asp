<% Server.Transfer "script-name.asp" %>
