<!-- #include file="inc/part.asp" -->
<%= Part() %>
