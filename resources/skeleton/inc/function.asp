<!--#include file="guard.asp"-->
<%
'==========================================================================
' inc/function.asp —— 登录、框架页等用到的其他公共函数
'
'   CheckLogin(loginPage)   会话里没有登录的帐号时，让整个窗口回到 loginPage，并结束本页输出
'   LoginName()             当前登录名（取自会话，已做 HTML 转义）
'   CheckVerifyCode(code)   与 inc/verifycode.asp 存在 Session("verifycode") 里的数字比较，
'                           比较一次就作废，防止重复使用
'   GetIP()                 访问者的 IP 地址
'   ReqStr(name)            去掉首尾空格的请求值
'   ReqNum(name, default)   数字请求值，不是数字时返回 default
'   SafeSql(s)              单引号写两次，可放进 SQL 的 '...' 里
'   StrLength(s)            按 GBK 计的字节数（汉字算 2）
'   CutStr(s, maxBytes)     截到 maxBytes 字节以内，截断时末尾加 "..."
'   RemoveHtml(s)           去掉 HTML 标签
'   DateTimeText(d)         "yyyy-mm-dd hh:nn:ss"
'
' 名字与 conn.asp、inc/MyFunction.asp、inc/md5.asp、inc/SF_Sql.asp 都不重复，可同时包含。
' 本文件包含 inc/guard.asp（会话、令牌、密码摘要）；manage/conn.asp 也包含它，两者不要同页包含。
'==========================================================================

Sub CheckLogin(loginPage)
	If Not SiteLoggedIn() Then
		Response.Write "<script type=""text/javascript"">top.location.href='" & Replace(loginPage, "'", "\'") & "';</script>" & vbCrLf
		Response.End
	End If
End Sub

Function LoginName()
	LoginName = Server.HTMLEncode(Session("kovel_username") & "")
End Function

Function CheckVerifyCode(code)
	Dim expected
	expected = Session("verifycode") & ""
	Session("verifycode") = ""
	CheckVerifyCode = (expected <> "" And LCase(Trim(code & "")) = LCase(expected))
End Function

Function GetIP()
	Dim ip
	ip = Request.ServerVariables("HTTP_X_FORWARDED_FOR") & ""
	If InStr(ip, ",") > 0 Then ip = Left(ip, InStr(ip, ",") - 1)
	ip = Trim(ip)
	If ip = "" Or Not IsIpText(ip) Then ip = Request.ServerVariables("REMOTE_ADDR") & ""
	GetIP = ip
End Function

' 只由数字、字母、点和冒号组成（IPv4 或 IPv6 的写法）
Function IsIpText(value)
	Dim re
	Set re = New RegExp
	re.Pattern = "^[0-9A-Fa-f.:]{2,45}$"
	IsIpText = re.Test(value)
End Function

Function ReqStr(name)
	ReqStr = Trim(Request(name) & "")
End Function

Function ReqNum(name, defaultValue)
	Dim v
	v = Trim(Request(name) & "")
	If v <> "" And IsNumeric(v) Then
		ReqNum = CDbl(v)
	Else
		ReqNum = defaultValue
	End If
End Function

Function SafeSql(value)
	SafeSql = Replace(value & "", "'", "''")
End Function

Function StrLength(value)
	Dim i, n, s
	s = value & ""
	n = 0
	For i = 1 To Len(s)
		If AscW(Mid(s, i, 1)) < 0 Or AscW(Mid(s, i, 1)) > 255 Then
			n = n + 2
		Else
			n = n + 1
		End If
	Next
	StrLength = n
End Function

Function CutStr(value, maxBytes)
	Dim i, n, s, w, result
	s = value & ""
	If StrLength(s) <= maxBytes Then
		CutStr = s
		Exit Function
	End If
	n = 0
	result = ""
	For i = 1 To Len(s)
		If AscW(Mid(s, i, 1)) < 0 Or AscW(Mid(s, i, 1)) > 255 Then
			w = 2
		Else
			w = 1
		End If
		If n + w > maxBytes - 3 Then Exit For
		n = n + w
		result = result & Mid(s, i, 1)
	Next
	CutStr = result & "..."
End Function

Function RemoveHtml(value)
	Dim re
	Set re = New RegExp
	re.Global = True
	re.IgnoreCase = True
	re.Pattern = "<[^>]*>"
	RemoveHtml = re.Replace(value & "", "")
End Function

Function DateTimeText(value)
	Dim d
	If Not IsDate(value) Then
		DateTimeText = ""
		Exit Function
	End If
	d = CDate(value)
	DateTimeText = Year(d) & "-" & Right("0" & Month(d), 2) & "-" & Right("0" & Day(d), 2) & " " _
		& Right("0" & Hour(d), 2) & ":" & Right("0" & Minute(d), 2) & ":" & Right("0" & Second(d), 2)
End Function
%>
