<%
'==========================================================================
' inc/random.asp —— 系统的加密随机数
'
'   SiteRandomHex(n)    n 位小写十六进制，每位 4 个随机位
'   SiteRandomText(n)   n 个字符，取自 A-Z a-z 0-9 + /，每个字符 6 个随机位
'
' 随机位取自 Scriptlet.TypeLib 的 GUID：Windows 用系统的加密随机数生成器生成它，
' 每个 GUID 去掉固定的版本位和变体位后还有 30 位十六进制。VBScript 的 Rnd 只有
' 24 位状态，看到一个值就能猜出下一个，不能用于令牌、盐和验证码。
' 服务器不能创建 Scriptlet.TypeLib 时页面报错，不退回到 Rnd。
'==========================================================================

Function SiteRandomHex(length)
	Dim text, guid
	text = ""
	Do While Len(text) < length
		guid = Replace(Mid(SiteNewGuid(), 2, 36), "-", "")
		If Len(guid) <> 32 Then Err.Raise 5, "inc/random.asp", "Scriptlet.TypeLib 给出的 GUID 不完整"
		' 第 13 位是版本号 4；第 17 位只有两个随机位
		text = text & LCase(Left(guid, 12) & Mid(guid, 14, 3) & Mid(guid, 18))
	Loop
	SiteRandomHex = Left(text, length)
End Function

Function SiteRandomText(length)
	Dim digits, text, i, v
	Const alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
	digits = SiteRandomHex(((length + 1) \ 2) * 3)
	text = ""
	For i = 1 To Len(digits) Step 3
		v = CLng("&H" & Mid(digits, i, 3))
		text = text & Mid(alphabet, v \ 64 + 1, 1) & Mid(alphabet, (v Mod 64) + 1, 1)
	Next
	SiteRandomText = Left(text, length)
End Function

Function SiteNewGuid()
	Dim generator
	On Error Resume Next
	Set generator = CreateObject("Scriptlet.TypeLib")
	If Err.Number <> 0 Then
		On Error GoTo 0
		Err.Raise 429, "inc/random.asp", "服务器不能创建 Scriptlet.TypeLib，无法生成安全的随机数"
	End If
	On Error GoTo 0
	SiteNewGuid = Left(generator.Guid, 38)
End Function
%>
