    <td class="category">修改</td>
    <td class="category">删除</td>
  </tr>