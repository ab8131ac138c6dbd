<!--#include file="conn.inc"-->
<%= Rows("select 名称 from 商品 where 价格 > (select avg(价格) from 商品) order by id", "|") %>
