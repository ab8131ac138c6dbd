      <tr>
        <td height="30">&nbsp;</td>
        <td class="category">
          <input type="submit" value=" 确认修改 " onClick="return check()" class="button">&nbsp;&nbsp;&nbsp;&nbsp;
          <input type="hidden" id="id" name="ID" value="<%=ID%>">          &nbsp;&nbsp;&nbsp;

          <input type="hidden" name="action" value="modify">
          <input type="reset" value=" 重新填写 " class="button">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;
          <input type="button" value=" 返&nbsp;&nbsp;回 " onClick="javascript:history.go(-1);" class="button">
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
</form>

</body>
</html>