<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="conn.asp"-->
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' password.asp —— 修改本帐号的密码
' 用默认帐号 vokra 和默认密码登录后先到这里：改好之前别的页面都不开。
' 只接受带本会话令牌的 POST；新密码两次要一样，不能是空的，不能超过 50 个字，
' 也不能还是默认密码。改好后别处用旧密码登录的会话都失效，本会话进入框架页 main.asp。
'==========================================================================
Response.Charset = "gb2312"
Dim newPass, failText
If Not SiteSessionValid() Then
	Response.Write "<script type=""text/javascript"">alert('没有权限，请重新登陆');top.location.href='index.asp';</script>" & vbCrLf
	Response.End
End If
If Request.Form("action") = "password" Then
	newPass = Request.Form("pwd1") & ""
	failText = ""
	If Not SitePostAllowed() Then
		failText = "请求无效：只接受本站表单提交的请求（表单已过期时请刷新页面后重试），没有做任何修改"
	ElseIf newPass = "" Then
		failText = "请输入新密码！"
	ElseIf newPass <> Request.Form("pwd2") & "" Then
		failText = "两次输入的新密码不一样！"
	ElseIf Len(newPass) > 50 Then
		failText = "密码最多 50 个字！"
	ElseIf newPass = SiteDefaultAccount Then
		failText = "新密码不能是默认密码！"
	ElseIf Not SiteChangePassword(newPass) Then
		failText = "密码没有改成：帐号不存在或数据库不能写入！"
	End If
	conn.Close
	Set conn = Nothing
	If failText = "" Then
		SendMsg "密码已修改"
		Response.Write "<script type=""text/javascript"">top.location.href='main.asp';</script>" & vbCrLf
		Response.End
	End If
	SendMsg failText
	goback
End If
%>
<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN" "http://www.w3.org/TR/html4/loose.dtd">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>后台管理系统 - 修改密码</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
<script type="text/javascript">
if (top != self) {
	top.location.href = self.location.href;
}
</script>
</head>
<body class="loginbody">
<form name="passwordform" id="passwordform" method="post" action="password.asp">
<input type="hidden" name="action" value="password">
<input type="hidden" name="kovel_token" value="<%=SiteToken()%>">
<table class="loginbox" border="0" cellspacing="0" cellpadding="0">
  <tr>
    <td colspan="2" class="loginmsg" style="background:#FFFFFF;text-align:center;height:40px">
<% If SiteMustChangePassword() Then %>
      默认帐号的密码人人都知道：请先设一个新密码。
<% Else %>
      修改 <%=LoginName()%> 的密码。
<% End If %>
    </td>
  </tr>
  <tr>
    <td class="loginlabel" width="140">新密码：</td>
    <td><input type="password" name="pwd1" id="pwd1" class="logininput" maxlength="50" autocomplete="new-password"></td>
  </tr>
  <tr>
    <td class="loginlabel">再输一次：</td>
    <td><input type="password" name="pwd2" id="pwd2" class="logininput" maxlength="50" autocomplete="new-password"></td>
  </tr>
  <tr>
    <td>&nbsp;</td>
    <td height="36"><input type="submit" class="button" value=" 修改 "></td>
  </tr>
</table>
</form>
</body>
</html>
