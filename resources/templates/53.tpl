
<tr>
<td height="10"></td>
</tr>
</table>
<script type="text/javascript">
// 打开菜单时只展开第一组
collapseAll();
showGroup("g_1", true);
</script>
</body>
</html>
