<%@ CODEPAGE=936 %>
<!-- #include file="conn.asp" -->

<%

   ID=trim(request("ID"))
   If not SiteMatches(ID,"^[0-9]{1,9}$") then
    sendmsg("编号必须是数字")
    goback()
    response.End()
   End if
%>




<html>
<head>
<title>用户 - 显示记录</title>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<link href="../style/style.css" rel="stylesheet" type="text/css">
<style>
body {
	background-color:#FFFFFF;
}
</style>
</HEAD>

<BODY>
<%
sql="select * from [用户]"

sql=sql&" where id="&cstr(ID)


Set rsAdd = Server.CreateObject("ADODB.Recordset")
rsAdd.ActiveConnection = conn
rsAdd.Source =sql
rsAdd.CursorType = 0
rsAdd.CursorLocation = 3
rsAdd.LockType = 2
rsAdd.Open()
rs_numRows =0
'rsAdd.addnew



 if not rsAdd.eof then
%>




<table width="100%" border="0" cellpadding="0" cellspacing="0" bgcolor="#C4D8ED">
<tr>
<td><img src="../images/r_1.gif" alt="" /></td>
<td width="100%" background="../images/r_0.gif">
  <table cellpadding="0" cellspacing="0" width="100%">
    <tr>
      <td>&nbsp;显示记录</td>
	  <td align="right">&nbsp;</td>
    </tr>
  </table>
</td>
<td><img src="../images/r_2.gif" alt="" /></td>
</tr>
<tr>
<td></td>
<td>
<table align="center" cellpadding="4" cellspacing="1" class="toptable grid" border="1">      <tr>
        <td width="25%" height="30" align="right">姓名：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("姓名"),"text")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">帐号：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("帐号"),"text")%>	</td>
      </tr>      <tr>
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


<%

  rsAdd.close
  
  set rsAdd=nothing

  conn.close
  
  set conn=nothing

 else
  
  rsAdd.close
  
  set rsAdd=nothing

  conn.close
  
  set conn=nothing
  
  SendMsg("指定编号的记录不存在")
  
  goback()
  
  response.End()
 
end if


%>
