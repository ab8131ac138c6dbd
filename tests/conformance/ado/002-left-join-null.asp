<!--#include file="conn.inc"-->
<%= Rows("select g.名称, c.名称 from 商品 as g left join 分类 as c on g.分类id = c.id where g.id = 4", "|") %>
