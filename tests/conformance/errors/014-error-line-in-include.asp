<!-- #include file="inc/bad.asp" -->
<% Response.Write Bad() %>
