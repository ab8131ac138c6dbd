<!--#include file="conn.inc"-->
<%= Rows("select instr(3, 'abcabc', 'b'), 2 ^ 10, -2 ^ 2", "") %>
