      <tr>
        <td height="30">&nbsp;</td>
        <td class="category">
          <input type="submit" value=" 返回 " onClick="javascript:history.go(-1);" class="button">&nbsp;&nbsp;&nbsp;&nbsp;
    	</td>
      </tr>	    
</table>
</td>
<td></td>
</tr>
<tr>
<td><img src="../images/r_4.gif" alt="" /></td>
<td></td>
<td><img src="../images/r_3.gif" alt="" /></td>
</tr>
</table>


</body>
</html>