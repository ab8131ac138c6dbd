<!--#include file="conn.inc"-->
<%= Rows("select datepart('ww', #2024-01-07#), datepart('q', 上架), weekday(#2024-01-07#), weekday(#2024-01-07#, 2) from 商品 where id = 4", "") %>
