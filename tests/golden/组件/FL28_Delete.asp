<%@ CODEPAGE=936 %>
<!-- #include file="conn.asp" -->
<%
if request.Cookies("kovel_username")="" then
  sendmsg("没有权限，请重新登陆")
  response.end
end if
%>
<html>
<head>
<title>分类 - 删除记录</title>
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

if request("action")="Delete" then

   SiteRequirePost()
   ID=SiteIdList(Request.Form("ID"))
   
	if ID="" then
		sendmsg("请先选择要删除的记录")
		goback()
		response.End()
	end if
	if ID="!" then
		sendmsg("编号必须是数字")
		goback()
		response.End()
	end if

sql="select * from [分类]"


sql=sql&" where id in("&ID&")"


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
 
 	while not rsAdd.eof
	
		rsAdd.delete
'		response.Write"RS_ID="&rsAdd("id")&" Done<BR>"
		rsAdd.movenext
		
	wend
		   
		rsAdd.close
		   
		set rsAdd=nothing
		   
		conn.close
		   
		set conn=nothing
		   
		sendmsg("删除成功")
			
		goback()
 
 else

   
	  rsAdd.close
		 
	  set rsAdd=nothing
		 
	  conn.close
		 
	  set conn=nothing
		 
	  sendmsg("删除失败，记录不存在")
		  
	  goback()
 
 end if

 end if

%>



</body>
</html>