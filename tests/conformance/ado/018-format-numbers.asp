<!--#include file="conn.inc"-->
<%= Rows("select format(价格, '0.00'), format(1234567.891, '#,##0.00'), format(0.256, '0.0%') from 商品 where id = 1", "") %>
