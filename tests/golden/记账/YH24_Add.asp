<%@ CODEPAGE=936 %>
<!-- #include file="conn.asp" -->
<%
if request.Cookies("kovel_username")="" then
  sendmsg("没有权限，请重新登陆")
  response.end
end if
%>

<%

if Request.Form("action")="add" then
SiteRequirePost()

             S_1=Request.Form("S_1")&""'密码	password

             S_2=trim(Request.Form("S_2"))'姓名	

             S_3=trim(Request.Form("S_3"))'帐号	username

S_1=SitePassword(S_1,"密码")
if S_1<>"" then S_1=PasswordHash(S_1)
S_2=SiteValue(S_2,"text","姓名")
S_3=SiteValue(S_3,"text","帐号")
SiteRequireFreeAccountName "用户","帐号",S_3,0,"帐号"

sql="select * from [用户]"
Set rsAdd = Server.CreateObject("ADODB.Recordset")
rsAdd.ActiveConnection = conn
rsAdd.Source =sql
rsAdd.CursorType = 0
rsAdd.CursorLocation = 3
rsAdd.LockType = 2
rsAdd.Open()
rs_numRows =0
rsAdd.addnew


    rsAdd("密码")=S_1

    rsAdd("姓名")=S_2

    rsAdd("帐号")=S_3

rsAdd.update

  rsAdd.close
  
  set rsAdd=nothing

  conn.close
  
  set conn=nothing
  
  sendmsg("添加记录成功")
gourl("YH24_list.asp")
end if%>

<html>
<head>
<title>用户 - 添加记录</title>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<link href="../style/style.css" rel="stylesheet" type="text/css">
<style>
body {
	background-color:#FFFFFF;
}
</style>
</HEAD>

<BODY>


<form action=? method="post" name="form1" target="_self">
<input type="hidden" name="kovel_token" value="<%=SiteToken()%>">
<table width="100%" border="0" cellpadding="0" cellspacing="0" bgcolor="#C4D8ED">
<tr>
<td><img src="../images/r_1.gif" alt="" /></td>
<td width="100%" background="../images/r_0.gif">
  <table cellpadding="0" cellspacing="0" width="100%">
    <tr>
      <td>&nbsp;添加记录(带*号的为必填项)</td>
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
        <td width="25%" height="30" align="right">密码：</td>
        <td width="75%" class="category"><input type="password" name="S_1" id="S_1" style="width:300px" autocomplete="new-password">	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">姓名：</td>
        <td width="75%" class="category"><input type="text" name="S_2" id="S_2" style="width:300px">	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">帐号：</td>
        <td width="75%" class="category"><input type="text" name="S_3" id="S_3" style="width:300px">	</td>
      </tr>
<script type="text/javascript">
function check(){
 function box(n){var all=document.getElementsByName(n);for(var i=0;i<all.length;i++){if(all[i].tagName=="SELECT"||all[i].tagName=="INPUT"||all[i].tagName=="TEXTAREA")return all[i];}return null;}
 function refuse(e,text){alert(text);try{e.focus();}catch(x){}return false;}
 function number(e,whole,low,high,places,name,outside){var v=e.value.replace(/^\s+|\s+$/g,"");if(v=="")return true;
  if(!(whole?/^[-+]?[0-9]+$/:/^[-+]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][-+]?[0-9]{1,4})?$/).test(v))return refuse(e,name+(whole?"必须是整数":"必须是数字"));
  var x=Number(v);if(!(x>=low&&x<=high))return refuse(e,name+outside);
  if(places>=0){var p=v.toLowerCase().split("e"),f=(p[0].split(".")[1]||"").replace(/0+$/,"");if(f.length-(Number(p[1])||0)>places)return refuse(e,name+"最多只能有 "+places+" 位小数");}
  return true;}
 var e;
 return true;
}
</script>
      <tr>
        <td height="30">&nbsp;</td>
        <td class="category">
          <input type="submit" value=" 确认添加 " onClick="return check()" class="button">&nbsp;&nbsp;&nbsp;&nbsp;
          <input type="hidden" name="action" value="add">
          <input type="reset" value=" 重新填写 " class="button">		</td>
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