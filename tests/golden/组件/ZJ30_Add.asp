<%@ CODEPAGE=936 %>

<!-- #include file="conn.asp" -->
<!--#include file="../inc/myfunction.asp"-->
<%
SetAjax()
%>

<%
if request.Cookies("kovel_username")="" then
  sendmsg("没有权限，请重新登陆")
  response.end
end if
%>

<%

if Request.Form("action")="add" then
SiteRequirePost()

             S_1=trim(Request.Form("S_1"))'标题	

             S_2=trim(Request.Form("S_2"))'数量	

             S_3=trim(Request.Form("S_3"))'单价	

             S_4=trim(Request.Form("S_4"))'编码	

             S_5=trim(Request.Form("S_5"))'正文	

             S_6=trim(Request.Form("S_6"))'摘要	

             S_7=trim(Request.Form("S_7"))'开始	

             S_8=trim(Request.Form("S_8"))'结束	

             S_9=trim(Request.Form("S_9"))'大类	

             S_10=trim(Request.Form("S_10"))'小类	

             S_11=trim(Request.Form("S_11"))'主键	

             S_12=trim(Request.Form("S_12"))'备用	

             S_13=trim(Request.Form("S_13"))'来源	

             S_14=trim(Request.Form("S_14"))'price	价格

             S_15=trim(Request.Form("S_15"))'启用	

             S_16=trim(Request.Form("S_16"))'重量	


if S_2<>"" and not SiteIsNumber(S_2) then
 sendmsg("数量必须是数字")
 goback()
 response.End()
end if

if S_3<>"" and not SiteIsNumber(S_3) then
 sendmsg("单价必须是数字")
 goback()
 response.End()
end if

if S_14<>"" and not SiteIsNumber(S_14) then
 sendmsg("price必须是数字")
 goback()
 response.End()
end if

if S_16<>"" and not SiteIsNumber(S_16) then
 sendmsg("重量必须是数字")
 goback()
 response.End()
end if
S_1=SiteValue(S_1,"text","标题")
S_2=SiteValue(S_2,"short","数量")
S_3=SiteValue(S_3,"decimal","单价")
S_4=SiteValue(S_4,"text","编码")
S_5=SiteValue(S_5,"html","正文")
S_6=SiteValue(S_6,"html","摘要")
S_7=SiteValue(S_7,"date","开始")
S_8=SiteValue(S_8,"date","结束")
S_9=SiteValue(S_9,"text","大类")
S_10=SiteValue(S_10,"text","小类")
S_11=SiteValue(S_11,"text","主键")
S_12=SiteValue(S_12,"text","备用")
S_13=SiteValue(S_13,"text","来源")
S_14=SiteValue(S_14,"single","价格")
S_15=SiteValue(S_15,"bool","启用")
S_16=SiteValue(S_16,"double","重量")

sql="select * from [组件]"
Set rsAdd = Server.CreateObject("ADODB.Recordset")
rsAdd.ActiveConnection = conn
rsAdd.Source =sql
rsAdd.CursorType = 0
rsAdd.CursorLocation = 3
rsAdd.LockType = 2
rsAdd.Open()
rs_numRows =0
rsAdd.addnew


    rsAdd("标题")=S_1

    rsAdd("数量")=S_2

    rsAdd("单价")=S_3

    rsAdd("编码")=S_4

    rsAdd("正文")=S_5

    rsAdd("摘要")=S_6

    rsAdd("开始")=S_7

    rsAdd("结束")=S_8

    rsAdd("大类")=S_9

    rsAdd("小类")=S_10

    rsAdd("主键")=S_11

    rsAdd("备用")=S_12

    rsAdd("来源")=S_13

    rsAdd("price")=S_14

    rsAdd("启用")=S_15

    rsAdd("重量")=S_16

rsAdd.update

  rsAdd.close
  
  set rsAdd=nothing

  conn.close
  
  set conn=nothing
  
  sendmsg("添加记录成功")
gourl("ZJ30_list.asp")
end if%>

<html>
<head>
<title>组件 - 添加记录</title>
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
        <td width="25%" height="30" align="right">标题：</td>
        <td width="75%" class="category"><input type="text" name="S_1" id="S_1" style="width:300px">	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">数量：</td>
        <td width="75%" class="category"><input type="text" name="S_2" id="S_2"  style="width:60px" onBlur="var v=this.value.replace(/^\s+|\s+$/g,'');if(v!=''&amp;&amp;!/^[-+]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][-+]?[0-9]{1,4})?$/.test(v))alert('数量只能输入数字！')">        <span style="color:#CCC">数字型</span>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">单价：</td>
        <td width="75%" class="category"><input type="text" name="S_3" id="S_3"  style="width:60px" onBlur="var v=this.value.replace(/^\s+|\s+$/g,'');if(v!=''&amp;&amp;!/^[-+]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][-+]?[0-9]{1,4})?$/.test(v))alert('单价只能输入数字！')">        <span style="color:#CCC">数字型</span>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">编码：</td>
        <td width="75%" class="category"><input type="text" name="S_4" id="S_4" style="width:300px" onchange="GetData('S_10',this.value,'../Getclass.asp?Stype=城市&filed=名称&condition=分类&order=4&next=10');"><% SiteAllowCascade "城市","名称","分类" %>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">正文：</td>
        <td width="75%" class="category">
<input type="hidden" name="S_5" id="S_5" value="" />
 <IFRAME ID="eWebEditor_S_5" src="../editor/ewebeditor.htm?id=S_5&style=coolblue" frameborder="0" scrolling="no" width="550" height="350"></IFRAME>
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">摘要：</td>
        <td width="75%" class="category">
<input type="hidden" name="S_6" id="S_6" value="" />
 <IFRAME ID="eWebEditor_S_6" src="../editor/ewebeditor.htm?id=S_6&style=coolblue" frameborder="0" scrolling="no" width="550" height="350"></IFRAME>
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">开始：</td>
        <td width="75%" class="category">
<script language="javascript" type="text/javascript" src="../date/WdatePicker.js"></script>

<input name="S_7" type="text" class="Wdate" id="S_7" value="<%=getdate(now())%>" onclick="WdatePicker()" >
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">结束：</td>
        <td width="75%" class="category">
<input name="S_8" type="text" class="Wdate" id="S_8" value="<%=getdate(now())%>" onclick="WdatePicker()" >
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">大类：</td>
        <td width="75%" class="category">
<%
SiteAllowCascade "城市","名称","分类"

Sql_Select="select id,[名称] from [分类] order by id asc"
Set RS_select=server.CreateObject("adodb.recordset")
RS_select.open Sql_Select,conn,1,1

 response.Write"          <label>"&vbcrlf
 
 response.Write"<select name=" & """" & "S_9" & """" & " id=" & """" & "S_9" & """" & " onchange="&""""&"GetData("&"'"&"S_10"&"'"&",this.options[selectedIndex].value,"&"'"&"Getclass.asp?table=组件&Stype=城市&filed=名称&condition=%分类&order=9&next=10"&"'"&");"&""""&">" &vbcrlf
 

if  not RS_select.eof then



 i=0
 while not RS_select.eof
  
  Select_Filed=server.HTMLEncode(RS_select("名称")&"") 
  Select_ID=RS_select("id")


  if i=1 then
   Response.Write("<option selected value="&Select_ID&">"&Select_Filed&"</option>"&vbcrlf)  
  else
   Response.Write("<option value="&Select_ID&">"&Select_Filed&"</option>"&vbcrlf)  
  end if

  
  RS_select.movenext
 
 wend


else
 
  Response.Write("<option value=0>没有数据</option>"+vbcrlf)
 

end if


 response.Write"            </select>"&vbcrlf
 response.Write"          </label>"&vbcrlf

RS_select.close
set RS_select=nothing

%>
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">小类：</td>
        <td width="75%" class="category">
<span id="S_10" name="S_10"></span>
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">主键：</td>
        <td width="75%" class="category">
<%

Sql_Select="select id,[id] from [分类] order by id asc"
Set RS_select=server.CreateObject("adodb.recordset")
RS_select.open Sql_Select,conn,1,1

 response.Write"          <label>"&vbcrlf
 
 response.Write"<select name=" & """" & "S_11" & """" & " id=" & """" & "S_11" & """" & " >" &vbcrlf
 

if  not RS_select.eof then



 i=0
 while not RS_select.eof
  
  Select_Filed=server.HTMLEncode(RS_select("id")&"") 
  Select_ID=RS_select("id")


  if i=1 then
   Response.Write("<option selected value="&Select_ID&">"&Select_Filed&"</option>"&vbcrlf)  
  else
   Response.Write("<option value="&Select_ID&">"&Select_Filed&"</option>"&vbcrlf)  
  end if

  
  RS_select.movenext
 
 wend


else
 
  Response.Write("<option value=0>没有数据</option>"+vbcrlf)
 

end if


 response.Write"            </select>"&vbcrlf
 response.Write"          </label>"&vbcrlf

RS_select.close
set RS_select=nothing

%>
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">备用：</td>
        <td width="75%" class="category">
<input type="text" name="S_12" id="S_12" style="width:300px">
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">来源：</td>
        <td width="75%" class="category">
<input type="text" name="S_13" id="S_13" style="width:300px">
	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">价格：</td>
        <td width="75%" class="category"><input type="text" name="S_14" id="S_14"  style="width:60px" onBlur="var v=this.value.replace(/^\s+|\s+$/g,'');if(v!=''&amp;&amp;!/^[-+]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][-+]?[0-9]{1,4})?$/.test(v))alert('price只能输入数字！')">        <span style="color:#CCC">数字型</span>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">启用：</td>
        <td width="75%" class="category"><input type="text" name="S_15" id="S_15" style="width:300px">	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">重量：</td>
        <td width="75%" class="category"><input type="text" name="S_16" id="S_16"  style="width:60px" onBlur="var v=this.value.replace(/^\s+|\s+$/g,'');if(v!=''&amp;&amp;!/^[-+]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][-+]?[0-9]{1,4})?$/.test(v))alert('重量只能输入数字！')">        <span style="color:#CCC">数字型</span>	</td>
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
 e=box("S_2");if(e&&!number(e,1,-32768,32767,-1,"数量","必须是 -32768 到 32767 之间的整数"))return false;
 e=box("S_3");if(e&&!number(e,0,-9999.99,9999.99,2,"单价","必须在 -9999.99 到 9999.99 之间"))return false;
 e=box("S_7");if(e&&e.value!=""&&!/^[0-9]{4}[-\/][0-9]{1,2}[-\/][0-9]{1,2}( [0-9]{1,2}:[0-9]{1,2}(:[0-9]{1,2})?)?$/.test(e.value))return refuse(e,"开始不是有效的日期");
 e=box("S_8");if(e&&e.value!=""&&!/^[0-9]{4}[-\/][0-9]{1,2}[-\/][0-9]{1,2}( [0-9]{1,2}:[0-9]{1,2}(:[0-9]{1,2})?)?$/.test(e.value))return refuse(e,"结束不是有效的日期");
 e=box("S_9");if(e&&e.tagName=="SELECT"&&(e.value==""||e.selectedIndex<0))return refuse(e,"请选择大类");
 e=box("S_10");if(e&&e.tagName=="SELECT"&&(e.value==""||e.selectedIndex<0))return refuse(e,"请选择小类");
 e=box("S_11");if(e&&e.tagName=="SELECT"&&(e.value==""||e.selectedIndex<0))return refuse(e,"请选择主键");
 e=box("S_14");if(e&&!number(e,0,-3.402823e38,3.402823e38,-1,"价格","超出了单精度数的范围"))return false;
 e=box("S_15");if(e&&!/^\s*(是|否|真|假|true|false|yes|no|on|off|-?1|0|wahr|falsch)?\s*$/i.test(e.value))return refuse(e,"启用只能是“是”或“否”");
 e=box("S_16");if(e&&!number(e,0,-1.79769313486231e308,1.79769313486231e308,-1,"重量","超出了双精度数的范围"))return false;
 return true;
}
</script>
<script type="text/javascript">(function(){var s=document.getElementById("S_9");if(s&&s.onchange)s.onchange();})();</script>
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