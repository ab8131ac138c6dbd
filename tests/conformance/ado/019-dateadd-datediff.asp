<!--#include file="conn.inc"-->
<%= Rows("select dateadd('m', 1, #2024-01-31#), datediff('d', #2024-01-01#, #2024-03-01#), datediff('m', #2023-12-31#, #2024-01-01#)", "") %>
