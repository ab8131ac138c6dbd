
<%
     rs.movenext
    wend
    else
%>
  <tr>
    <td colspan="12" class="nodata">没有找到记录</td>
  </tr>
<%
    end if
%>
  <tr>
    <td colspan="12" class="pagebar">
<%
    '翻页链接带上 action、SearchText 和 page，翻页后仍是同一个查询
    PageLink="?action="&server.URLEncode(request("action")&"")&"&SearchText="&server.URLEncode(request("SearchText")&"")&"&page="
    PageCount=totalpages
    if PageCount<1 then PageCount=1
    response.Write "共 "&totalrecords&" 条记录，第 "&nowpage&"/"&PageCount&" 页 "
    if nowpage>1 then
     response.Write "<a href="""&PageLink&"1"">首页</a><a href="""&PageLink&(nowpage-1)&""">上一页</a>"
    else
     response.Write "<span class=""disabled"">首页</span><span class=""disabled"">上一页</span>"
    end if
    if nowpage<PageCount then
     response.Write "<a href="""&PageLink&(nowpage+1)&""">下一页</a><a href="""&PageLink&PageCount&""">尾页</a>"
    else
     response.Write "<span class=""disabled"">下一页</span><span class=""disabled"">尾页</span>"
    end if
%>
    </td>
  </tr>
</table>
<div class="noprint" style="padding:6px 4px">
  <input type="checkbox" id="chkall" onclick="CheckAll(this)"><label for="chkall">全选</label>&nbsp;&nbsp;
  <input type="submit" value=" 删除选中 " class="button" onclick="return CheckDelete()">
</div>
</form>
</td>
<td></td>
</tr>
<tr>
<td><img src="../images/r_4.gif" alt="" /></td>
<td></td>
<td><img src="../images/r_3.gif" alt="" /></td>
</tr>
</table>
<%
    rs.close
    set rs=nothing
    set RsList=nothing
    conn.close
    set conn=nothing
%>
</body>
</html>