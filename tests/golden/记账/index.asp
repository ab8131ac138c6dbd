<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="conn.asp"-->
<!--#include file="inc/function.asp"-->
<%
'==========================================================================
' index.asp —— 后台登录页
'   先核对验证码（inc/verifycode.asp 画的图，数字存在 Session 里，核对一次即作废），
'   再按帐号查登录表，在页面里核对密码（库里存的是慢速摘要，旧的摘要和明文在登录成功时
'   换成新摘要；帐号不存在时也花同样的时间）；通过后把帐号记进会话、发新的会话密钥
'   （Cookie 只用来显示名字），进入框架页 main.asp；默认帐号 vokra 用默认密码登录时先去
'   password.asp 改密码。
'   一个帐号连续 5 次失败、或一个地址 15 分钟内失败 20 次后，15 分钟内不再受理登录，
'   密码对了也不行；帐号的失败次数记在数据库里。
'   帐号去掉首尾空格，最多 50 个字，单引号写成两个后才放进查询语句；密码原样比较。
'   失败时提示原因并回到登录框。
'==========================================================================
Dim inUser, inPass, inCode, failText, sql, rs, loginFound, loginTried, lockName
failText = ""
SiteUseAccounts "用户", "帐号", "密码"
If Request.Form("action") = "login" Then
	inUser = Left(Trim(Request.Form("username") & ""), 50)
	inPass = Left(Request.Form("pwd") & "", 50)
	inCode = Trim(Request.Form("verifycode") & "")
	lockName = inUser
	If SiteAccountLocked(lockName) Then
		failText = "连续 5 次登录失败，请 15 分钟后再试！"
	ElseIf UCase(Request.ServerVariables("REQUEST_METHOD") & "") <> "POST" Then
		failText = "请从登录页提交！"
	ElseIf Not CheckVerifyCode(inCode) Then
		failText = "验证码错误，请重新输入！"
	ElseIf SiteMatches(inUser, "[\x00-\x1F\x7F]") Then
		failText = "用户名或密码错误！"
	ElseIf inUser = "" Or inPass = "" Then
		failText = "请输入用户名和密码！"
	Else
		inUser = replace(inUser, "'", "''")
		sql="select * from [用户] where ([帐号]='"&inUser&"')"
		Set rs = Server.CreateObject("ADODB.Recordset")
		rs.Open sql, conn, 1, 3
		loginFound = False
		loginTried = False
		Do While Not rs.EOF And Not loginFound
			loginTried = True
			If PasswordMatches(rs("密码") & "", inPass) Then
				loginFound = True
			Else
				rs.MoveNext
			End If
		Loop
		If Not loginTried Then PasswordDecoy inPass
		If Not loginFound Then
			failText = "用户名或密码错误！"
			SiteAccountFailed lockName
		Else
			If Not IsPasswordHash(rs("密码") & "") Then
				rs("密码") = PasswordHash(inPass)
				rs.Update
			End If
			SiteAccountSucceeded lockName
			SiteLogin rs("id"), rs("帐号")
			SiteLoginNeedsNewPassword lockName, inPass
		End If
		rs.Close
		Set rs = Nothing
	End If
	conn.Close
	Set conn = Nothing
	If failText = "" And SiteMustChangePassword() Then
		Response.Redirect "password.asp"
	ElseIf failText = "" Then
		Response.Redirect "main.asp"
	Else
		SendMsg failText
		goback
	End If
End If
%>
<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN" "http://www.w3.org/TR/html4/loose.dtd">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>后台管理系统 - 用户登录</title>
<link href="style/style.css" rel="stylesheet" type="text/css">
<style type="text/css">
.loginfields {
	margin: 0 auto;
	border-collapse: collapse;
}
.loginfields td {
	padding: 0 2px;
}
.loginhint {
	color: #888888;
	margin-left: 6px;
}
</style>
<script type="text/javascript">
// 登录页总在整个窗口里打开（在框架里登录过期时也一样）
if (top != self) {
	top.location.href = self.location.href;
}

// 换一张验证码：地址后加上时间，免得浏览器用缓存里的旧图
function refreshCode() {
	var img = document.getElementById("verifyimg");
	if (img) {
		img.src = "inc/verifycode.asp?t=" + new Date().getTime();
	}
	var box = document.getElementById("verifycode");
	if (box) {
		box.value = "";
	}
}

function showLoginMsg(text, field) {
	var msg = document.getElementById("loginmsg");
	var help = document.getElementById("loginhelp");
	if (msg) {
		msg.innerHTML = text;
	}
	if (help) {
		help.style.display = "none";
	}
	if (field) {
		field.focus();
	}
	return false;
}

function checkLogin(form) {
	if (form.username.value.replace(/^\s+|\s+$/g, "") == "") {
		return showLoginMsg("请输入用户名", form.username);
	}
	if (form.pwd.value == "") {
		return showLoginMsg("请输入密码", form.pwd);
	}
	if (!/^\d{4}$/.test(form.verifycode.value.replace(/^\s+|\s+$/g, ""))) {
		return showLoginMsg("请输入图中的 4 位数字", form.verifycode);
	}
	showLoginMsg("正在登录……", null);
	return true;
}

// 从后一页返回时，验证码已经用过，换一张新的
window.onpageshow = function (e) {
	if (e && e.persisted) {
		refreshCode();
	}
};

window.onload = function () {
	var form = document.forms["loginform"];
	if (form && form.username) {
		form.username.focus();
	}
};
</script>
</head>
<body class="loginbody">
<form name="loginform" id="loginform" method="post" action="index.asp" onsubmit="return checkLogin(this);">
<input type="hidden" name="action" value="login">
<table class="loginbox" border="0" cellspacing="0" cellpadding="0">
  <tr>
    <td colspan="2"><img src="images/login_01.gif" width="480" height="90" alt="后台管理系统"></td>
  </tr>
  <tr>
    <td width="140"><img src="images/login_02.gif" width="140" height="150" alt=""></td>
    <td class="loginform" valign="middle">
      <table class="loginfields" border="0" cellspacing="0" cellpadding="0">
        <tr>
          <td class="loginlabel">用户名：</td>
          <td><input type="text" name="username" id="username" class="logininput" maxlength="50" autocomplete="username"></td>
        </tr>
        <tr>
          <td class="loginlabel">密　码：</td>
          <td><input type="password" name="pwd" id="pwd" class="logininput" maxlength="50" autocomplete="current-password"></td>
        </tr>
        <tr>
          <td class="loginlabel">验证码：</td>
          <td><input type="text" name="verifycode" id="verifycode" class="logininput" style="width:70px" maxlength="4" autocomplete="off">
            <img src="inc/verifycode.asp" id="verifyimg" class="verifycode" width="60" height="20" alt="验证码" title="看不清？点击换一张" onclick="refreshCode();"></td>
        </tr>
        <tr>
          <td>&nbsp;</td>
          <td height="36"><input type="submit" class="loginbutton" value="" title="登录"><span class="loginhint">点击图片可换一张验证码</span></td>
        </tr>
      </table>
    </td>
  </tr>
  <tr>
    <td colspan="2" class="loginfoot"><span id="loginmsg" class="loginmsg"></span><span id="loginhelp">请输入用户名、密码和图中的验证码</span></td>
  </tr>
</table>
</form>
</body>
</html>
