<%
'==========================================================================
' inc/account.asp —— 登录的会话、帐号核对和登录失败的锁定
'
'   SiteLoggedIn()             本会话登录过、浏览器带着登录时发下的会话密钥、帐号还在、
'                              口令也没改过，并且不欠着改默认口令（kovel_username 这个
'                              Cookie 谁都能伪造，只用来显示）
'   SiteSessionValid()         同上，只是不管默认口令改没改（改口令的页面用）
'   SiteMustChangePassword()   本会话是用默认帐号 vokra/vokra 登录的，改口令之前别的页面都不开
'   SiteRequireLogin(page)     没有登录时提示并让整个窗口回到 page（改口令欠着时去改口令的页面），
'                              结束输出
'   SiteUseAccounts table, userColumn, passwordColumn
'                              登录页说明帐号在哪个表的哪两列（生成登录页时填入）
'   SiteLogin(id, name)        登录成功：帐号、口令摘要记进会话，发新的会话密钥，换新的表单令牌；
'                              登录前就有的会话编号（可能是别人种下的）从此什么也打不开
'   SiteChangePassword(plain)  把本会话帐号的口令换成 plain 的摘要
'   SiteRequireFreeAccountName table, column, name, ownId, caption
'                              登录表的添加、修改页用：别的记录已用了这个帐号名（不分大小写）时
'                              提示并返回，什么也不保存
'   SiteAccountLocked(name)    帐号连续 5 次失败、或本地址 15 分钟内失败 20 次后，15 分钟内不再受理
'   SiteAccountFailed(name) / SiteAccountSucceeded(name)
'                              帐号的失败次数记在数据库的 kovel_login_lock 表里（重启不丢），
'                              地址的记在 Application 里；登录成功只清掉自己帐号的次数
'   SiteLoginLocked() / SiteLoginFailed() / SiteLoginSucceeded()
'                              早先的登录模板用的写法：帐号取自表单的 username
'   SiteSetCookie(name, value) / SiteClearCookie(name)
'                              HttpOnly、SameSite=Lax 的 Cookie（页面脚本读不到，别的网站发起的
'                              POST 不带它）
'==========================================================================

Const SiteDefaultAccount = "vokra"
Const SiteLockFailures = 5
Const SiteLockAddressFailures = 20
Const SiteLockMinutes = 15

Dim SiteAccountSource, SiteSessionChecked
SiteAccountSource = ""
SiteSessionChecked = Empty

Sub SiteUseAccounts(tableName, userColumn, passwordColumn)
	SiteAccountSource = tableName & vbTab & userColumn & vbTab & passwordColumn
End Sub

Function SiteLoggedIn()
	SiteLoggedIn = False
	If Not SiteSessionValid() Then Exit Function
	SiteLoggedIn = Not SiteMustChangePassword()
End Function

Function SiteMustChangePassword()
	SiteMustChangePassword = (Session("kovel_must_change") & "" = "1")
End Function

Function SiteSessionValid()
	Dim secret
	If IsEmpty(SiteSessionChecked) Then
		secret = Session("kovel_secret") & ""
		SiteSessionChecked = False
		If Session("kovel_userid") & "" <> "" And Len(secret) = 32 Then
			If Request.Cookies("kovel_secret") & "" = secret Then SiteSessionChecked = SiteAccountCurrent()
		End If
	End If
	SiteSessionValid = SiteSessionChecked
End Function

Sub SiteRequireLogin(loginPage)
	If SiteLoggedIn() Then Exit Sub
	Response.Clear
	If SiteSessionValid() Then
		Response.Write "<script type=""text/javascript"">alert('请先修改默认帐号的口令');top.location.href='" _
			& Left(loginPage, InStrRev(loginPage, "/")) & "password.asp';</script>" & vbCrLf
	Else
		Response.Write "<script type=""text/javascript"">alert('没有权限，请重新登陆');top.location.href='" & loginPage & "';</script>" & vbCrLf
	End If
	Response.End
End Sub

Sub SiteLogin(id, name)
	Dim secret
	secret = SiteRandomHex(32)
	Session("kovel_secret") = secret
	Session("kovel_userid") = id & ""
	Session("kovel_username") = name & ""
	Session("kovel_token") = ""
	Session("kovel_cascades") = ""
	Session("kovel_must_change") = ""
	Session("kovel_account") = SiteAccountSource
	Session("kovel_database") = Server.MapPath("data/data.mdb")
	Session("kovel_stamp") = ""
	If SiteAccountSource <> "" Then Session("kovel_stamp") = SiteAccountPassword(Session("kovel_userid"))
	SiteSessionChecked = Empty
	SiteSetCookie "kovel_secret", secret
	SiteSetCookie "kovel_username", name & ""
End Sub

' 默认帐号用默认口令登录后，先改口令
Sub SiteLoginNeedsNewPassword(name, plain)
	If LCase(Trim(name & "")) = SiteDefaultAccount And plain & "" = SiteDefaultAccount Then Session("kovel_must_change") = "1"
End Sub

Function SiteAccountParts()
	SiteAccountParts = Split(Session("kovel_account") & "", vbTab)
End Function

Function SiteAccountConnection()
	Dim c
	Set c = Server.CreateObject("ADODB.Connection")
	c.Open "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" & Session("kovel_database")
	Set SiteAccountConnection = c
End Function

' 库里这个帐号现在的口令（摘要）；帐号没了或读不出来时为 Null
Function SiteAccountPassword(id)
	Dim parts, c, rs, value
	SiteAccountPassword = Null
	parts = SiteAccountParts()
	If UBound(parts) <> 2 Or Not SiteMatchesPattern(id & "", "^[0-9]{1,9}$") Then Exit Function
	value = Null
	On Error Resume Next
	Set c = SiteAccountConnection()
	If Err.Number = 0 Then Set rs = c.Execute("select [" & parts(2) & "] from [" & parts(0) & "] where [id]=" & CLng(id))
	If Err.Number = 0 Then
		If Not rs.EOF Then value = rs(0) & ""
		rs.Close
	End If
	c.Close
	If Err.Number <> 0 Then value = Null
	Err.Clear
	On Error GoTo 0
	SiteAccountPassword = value
End Function

' 登录页没说帐号表时（用户自己的旧模板）不核对；否则帐号要还在，口令要与登录时一样
Function SiteAccountCurrent()
	Dim stored
	SiteAccountCurrent = True
	If Session("kovel_account") & "" = "" Then Exit Function
	stored = SiteAccountPassword(Session("kovel_userid"))
	SiteAccountCurrent = False
	If IsNull(stored) Then Exit Function
	SiteAccountCurrent = (stored <> "" And stored = Session("kovel_stamp") & "")
End Function

' 改本会话帐号的口令；成功时本会话继续有效（别的会话因口令变了而失效）
Function SiteChangePassword(plain)
	Dim parts, c, rs, digest, done
	SiteChangePassword = False
	parts = SiteAccountParts()
	If UBound(parts) <> 2 Or Not SiteSessionValid() Then Exit Function
	digest = PasswordHash(plain)
	done = False
	On Error Resume Next
	Set c = SiteAccountConnection()
	Set rs = Server.CreateObject("ADODB.Recordset")
	If Err.Number = 0 Then rs.Open "select [id], [" & parts(2) & "] from [" & parts(0) & "] where [id]=" & CLng(Session("kovel_userid")), c, 1, 3
	If Err.Number = 0 Then
		If Not rs.EOF Then
			rs(parts(2)) = digest
			rs.Update
			done = (Err.Number = 0)
		End If
		rs.Close
	End If
	c.Close
	If Err.Number <> 0 Then done = False
	Err.Clear
	On Error GoTo 0
	If done Then
		Session("kovel_stamp") = digest
		Session("kovel_must_change") = ""
		SiteSessionChecked = Empty
	End If
	SiteChangePassword = done
End Function

' 登录时帐号名不分大小写，所以一个名字（去掉首尾空格、不分大小写）只能有一个帐号。
' 逐行比较：数据库对大小写的处理各不相同，LCase 对所有字符都一样。
Sub SiteRequireFreeAccountName(tableName, columnName, name, ownId, caption)
	Dim rs, wanted, taken
	wanted = LCase(Trim(name & ""))
	If wanted = "" Then Exit Sub
	taken = False
	Set rs = conn.Execute("select [id], [" & columnName & "] from [" & tableName & "]")
	Do While Not rs.EOF And Not taken
		If LCase(Trim(rs(1) & "")) = wanted And CStr(rs(0)) <> CStr(ownId) Then taken = True
		rs.MoveNext
	Loop
	rs.Close
	If taken Then SiteRefuse caption, "“" & Trim(name & "") & "”已经有了（帐号名不分大小写），没有保存"
End Sub

Sub SiteSetCookie(name, value)
	Response.AddHeader "Set-Cookie", name & "=" & Server.URLEncode(value & "") & "; path=/; HttpOnly; SameSite=Lax"
End Sub

Sub SiteClearCookie(name)
	Response.AddHeader "Set-Cookie", name & "=; expires=Thu, 01 Jan 1970 00:00:00 GMT; path=/; HttpOnly; SameSite=Lax"
End Sub

' ---- 登录失败的锁定
' 帐号的键：去掉首尾空格、小写（Jet 比较文本不分大小写）
Function SiteAccountKey(name)
	SiteAccountKey = Left(LCase(Trim(name & "")), 50)
End Function

Function SiteAddressKey()
	SiteAddressKey = "kovel_fail_" & Request.ServerVariables("REMOTE_ADDR")
End Function

' "次数|最后一次失败的时间（Double，以天计）"；过了锁定时间就重新计数
Function SiteFailureCount(record)
	Dim parts
	SiteFailureCount = 0
	If record & "" = "" Then Exit Function
	parts = Split(record, "|")
	If UBound(parts) <> 1 Then Exit Function
	If Not IsNumeric(parts(0)) Or Not IsNumeric(parts(1)) Then Exit Function
	If CDbl(Now()) - CDbl(parts(1)) > SiteLockMinutes / 1440 Then Exit Function
	SiteFailureCount = CLng(parts(0))
End Function

' 帐号的记录：库里 kovel_login_lock 表的一行；没有这个表的旧数据库记在 Application 里
Function SiteAccountRecord(name)
	Dim rs, record
	record = ""
	On Error Resume Next
	Set rs = conn.Execute("select [failures], [last_failure] from [kovel_login_lock] where [account]='" & Replace(SiteAccountKey(name), "'", "''") & "'")
	If Err.Number = 0 Then
		If Not rs.EOF Then record = rs("failures") & "|" & CDbl(rs("last_failure"))
		rs.Close
	Else
		Err.Clear
		record = Application("kovel_fail_account_" & SiteAccountKey(name)) & ""
	End If
	If Err.Number <> 0 Then record = ""
	Err.Clear
	On Error GoTo 0
	SiteAccountRecord = record
End Function

Sub SiteSaveAccountRecord(name, failures)
	Dim rs, key
	key = SiteAccountKey(name)
	On Error Resume Next
	Set rs = Server.CreateObject("ADODB.Recordset")
	rs.Open "select * from [kovel_login_lock] where [account]='" & Replace(key, "'", "''") & "'", conn, 1, 3
	If Err.Number = 0 Then
		If rs.EOF Then
			rs.AddNew
			rs("account") = key
		End If
		rs("failures") = failures
		rs("last_failure") = Now()
		rs.Update
		rs.Close
	Else
		Err.Clear
		Application.Lock
		Application("kovel_fail_account_" & key) = failures & "|" & CStr(CDbl(Now()))
		Application.Unlock
	End If
	Err.Clear
	On Error GoTo 0
End Sub

Function SiteAccountLocked(name)
	SiteAccountLocked = (SiteFailureCount(SiteAccountRecord(name)) >= SiteLockFailures _
		Or SiteFailureCount(Application(SiteAddressKey())) >= SiteLockAddressFailures)
End Function

Sub SiteAccountFailed(name)
	SiteSaveAccountRecord name, SiteFailureCount(SiteAccountRecord(name)) + 1
	Application.Lock
	Application(SiteAddressKey()) = (SiteFailureCount(Application(SiteAddressKey())) + 1) & "|" & CStr(CDbl(Now()))
	Application.Unlock
End Sub

Sub SiteAccountSucceeded(name)
	If SiteFailureCount(SiteAccountRecord(name)) > 0 Then SiteSaveAccountRecord name, 0
End Sub

' 早先的登录模板（用户自己改过的也一样）不传帐号：取登录表单的 username，与登录页读它的方式相同
Function SiteLoginLocked()
	SiteLoginLocked = SiteAccountLocked(Left(Trim(Request.Form("username") & ""), 50))
End Function

Sub SiteLoginFailed()
	SiteAccountFailed Left(Trim(Request.Form("username") & ""), 50)
End Sub

Sub SiteLoginSucceeded()
	SiteAccountSucceeded Left(Trim(Request.Form("username") & ""), 50)
End Sub
%>
