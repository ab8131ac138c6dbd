<!--#include file="conn.inc"-->
<%= Rows("select val('12abc'), val(' 1 2 3'), cstr(价格) & '元', clng(2.5), clng(3.5), int(-2.5) from 商品 where id = 3", "") %>
