<!--#include file="conn.inc"-->
<%= Rows("select format(上架, 'yyyy-mm-dd hh:nn:ss'), format(上架, 'yyyy年m月d日') from 商品 where id = 1", "") %>
