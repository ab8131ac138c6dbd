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
<title>组件 - 显示记录</title>
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
sql="select * from [组件]"

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
        <td width="25%" height="30" align="right">标题：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("标题"),"text")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">数量：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("数量"),"short")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">单价：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("单价"),"decimal")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">编码：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("编码"),"text")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">正文：</td>
        <td width="75%" class="category"><%=SiteCleanHtml(rsAdd("正文")&"")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">摘要：</td>
        <td width="75%" class="category"><%=SiteCleanHtml(rsAdd("摘要")&"")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">开始：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("开始"),"date")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">结束：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("结束"),"date")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">大类：</td>
        <td width="75%" class="category">
<%

Sql_Select="select id,[名称] from [分类] order by id asc"
Set RS_select=server.CreateObject("adodb.recordset")
RS_select.open Sql_Select,conn,1,1

 response.Write"          <label>"&vbcrlf
 
 response.Write"<select name=" & """" & "S_9" & """" & " id=" & """" & "S_9" & """" & ">" &vbcrlf
 

if  not RS_select.eof then



 i=0
 while not RS_select.eof
  
  Select_Filed=server.HTMLEncode(RS_select("名称")&"") 
  Select_ID=RS_select("id")


  if cstr(rsAdd("大类")&"")=cstr(RS_select("id")) then
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
<%

Sql_Select="select id,[名称] from [城市] order by id asc"
Set RS_select=server.CreateObject("adodb.recordset")
RS_select.open Sql_Select,conn,1,1

 response.Write"          <label>"&vbcrlf
 
 response.Write"<select name=" & """" & "S_10" & """" & " id=" & """" & "S_10" & """" & ">" &vbcrlf
 

if  not RS_select.eof then



 i=0
 while not RS_select.eof
  
  Select_Filed=server.HTMLEncode(RS_select("名称")&"") 
  Select_ID=RS_select("id")


  if cstr(rsAdd("小类")&"")=cstr(RS_select("id")) then
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
        <td width="25%" height="30" align="right">主键：</td>
        <td width="75%" class="category">
<%

Sql_Select="select id,[id] from [分类] order by id asc"
Set RS_select=server.CreateObject("adodb.recordset")
RS_select.open Sql_Select,conn,1,1

 response.Write"          <label>"&vbcrlf
 
 response.Write"<select name=" & """" & "S_11" & """" & " id=" & """" & "S_11" & """" & ">" &vbcrlf
 

if  not RS_select.eof then



 i=0
 while not RS_select.eof
  
  Select_Filed=server.HTMLEncode(RS_select("id")&"") 
  Select_ID=RS_select("id")


  if cstr(rsAdd("主键")&"")=cstr(RS_select("id")) then
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
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("备用"),"text")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">来源：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("来源"),"text")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">价格：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("price"),"single")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">启用：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("启用"),"bool")%>	</td>
      </tr>      <tr>
        <td width="25%" height="30" align="right">重量：</td>
        <td width="75%" class="category"><%=SiteFormValue(rsAdd("重量"),"double")%>	</td>
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
