<!--#include file="sha256.asp"-->
<!--#include file="random.asp"-->
<%
'==========================================================================
' inc/password.asp —— 口令的慢速摘要（PBKDF2-HMAC-SHA256）
'
'   PasswordHash(plain)       新的摘要："$p" & 轮数 & "$" & 盐(22 个字符) & 导出值(22 个字符)
'                             盐有 132 个随机位，导出值是 PBKDF2 的前 16 个字节（Base64，
'                             不带 =）；轮数 100 以内最多 49 个字符，放得进 50 字的文本列
'   PasswordMatches(stored, plain)
'                             按 stored 的样子比较：本文件的摘要按它自己的盐和轮数重算；
'                             早先的带盐 SHA-256（"$" & 16 位盐 & "$" & 32 位）照旧算；
'                             其他当作旧数据的明文逐字比较（空口令不算）
'   IsPasswordHash(stored)    stored 是按现在的轮数写的摘要：不是时登录成功后要换成新摘要
'   PasswordDecoy(plain)      花一次核对的时间，什么也不比较：帐号不存在时用，
'                             免得从应答时间看出帐号是否存在
'
' 轮数写在摘要里，提高 PasswordRounds 后旧摘要照样能核对，并在下次登录时换新。
' 每轮压缩两个块，另加两个块（口令的内外起始状态）；预览的 VBScript 引擎（Wine）压缩一个块要 11～23 毫秒，
' 轮数按一次登录不超过 300 毫秒选定。服务器更快时可以调高，旧摘要在下次登录时按新轮数重写。
'==========================================================================

Const PasswordRounds = 4

Function PasswordHash(plain)
	Dim salt
	salt = SiteRandomText(22)
	PasswordHash = "$p" & PasswordRounds & "$" & salt & PasswordDerive(plain & "", salt, PasswordRounds)
End Function

Function PasswordMatches(stored, plain)
	Dim text, parts
	text = stored & ""
	parts = PasswordParts(text)
	If IsArray(parts) Then
		PasswordMatches = (PasswordDerive(plain & "", parts(1), parts(0)) = parts(2))
	ElseIf SiteMatchesPattern(text, "^\$[0-9a-f]{16}\$[0-9a-f]{32}$") Then
		PasswordMatches = ("$" & Mid(text, 2, 16) & "$" & Left(Sha256Hex(Mid(text, 2, 16) & plain), 32) = text)
	Else
		PasswordMatches = (text <> "" And text = plain & "")
	End If
End Function

Function IsPasswordHash(stored)
	Dim parts
	parts = PasswordParts(stored & "")
	IsPasswordHash = False
	If IsArray(parts) Then IsPasswordHash = (parts(0) >= PasswordRounds)
End Function

Sub PasswordDecoy(plain)
	Dim ignored
	ignored = PasswordDerive(plain & "", "AAAAAAAAAAAAAAAAAAAAAA", PasswordRounds)
End Sub

' Array(轮数, 盐, 导出值)；不是本文件写的摘要时为 Empty
Function PasswordParts(text)
	Dim at, rounds
	PasswordParts = Empty
	If Not SiteMatchesPattern(text, "^\$p[1-9][0-9]{0,3}\$[A-Za-z0-9+/]{44}$") Then Exit Function
	at = InStr(3, text, "$")
	rounds = CLng(Mid(text, 3, at - 3))
	PasswordParts = Array(rounds, Mid(text, at + 1, 22), Mid(text, at + 23, 22))
End Function

Function SiteMatchesPattern(text, pattern)
	Dim re
	Set re = New RegExp
	re.Pattern = pattern
	SiteMatchesPattern = re.Test(text & "")
End Function

' PBKDF2-HMAC-SHA256(口令的 UTF-8 字节, 盐的 ASCII 字节, 轮数) 的前 16 个字节，Base64
Function PasswordDerive(plain, salt, rounds)
	Dim encoded, key, keyCount, inner, outer, pad(15), i, j, state, u, total, message, block(15)
	encoded = Sha256Utf8(plain)
	key = encoded(0)
	keyCount = encoded(1)
	' 长于一个块的口令先取摘要（HMAC 的规定）
	If keyCount > 64 Then
		state = Sha256Finish(Sha256Start(), key, keyCount, 0)
		ReDim key(31)
		For i = 0 To 7
			For j = 0 To 3
				key(i * 4 + j) = PasswordByteOf(state(i), j)
			Next
		Next
		keyCount = 32
	End If
	For i = 0 To 15
		pad(i) = 0
	Next
	For i = 0 To keyCount - 1
		pad(i \ 4) = pad(i \ 4) Or Sha256ByteInWord(key(i), i Mod 4)
	Next
	' 内外两层的起始状态只算一次
	inner = Sha256Start()
	For i = 0 To 15
		block(i) = pad(i) Xor &H36363636
	Next
	Sha256Block inner, block
	outer = Sha256Start()
	For i = 0 To 15
		block(i) = pad(i) Xor &H5C5C5C5C
	Next
	Sha256Block outer, block

	' U1 = HMAC(口令, 盐 || 00 00 00 01)
	ReDim message(Len(salt) + 3)
	For i = 1 To Len(salt)
		message(i - 1) = Asc(Mid(salt, i, 1))
	Next
	message(Len(salt)) = 0 : message(Len(salt) + 1) = 0 : message(Len(salt) + 2) = 0 : message(Len(salt) + 3) = 1
	state = inner
	state = Sha256Finish(state, message, Len(salt) + 4, 64)
	u = PasswordOuter(outer, state)
	total = u
	' 之后每轮的消息正好是 32 字节：补位后是一个固定样子的块
	For j = 2 To rounds
		For i = 0 To 7
			block(i) = u(i)
		Next
		block(8) = &H80000000
		For i = 9 To 14
			block(i) = 0
		Next
		block(15) = 768
		state = inner
		Sha256Block state, block
		u = PasswordOuter(outer, state)
		For i = 0 To 7
			total(i) = total(i) Xor u(i)
		Next
	Next
	PasswordDerive = PasswordBase64(total)
End Function

' 外层：outer 的起始状态压缩 内层摘要(32 字节) 补位后的一个块
Function PasswordOuter(outer, innerState)
	Dim block(15), i, state
	For i = 0 To 7
		block(i) = innerState(i)
	Next
	block(8) = &H80000000
	For i = 9 To 14
		block(i) = 0
	Next
	block(15) = 768
	state = outer
	Sha256Block state, block
	PasswordOuter = state
End Function

' 字（大端序）的第 position 个字节
Function PasswordByteOf(word, position)
	Dim v
	v = CDbl(word)
	If v < 0 Then v = v + 4294967296
	Select Case position
	Case 0 : PasswordByteOf = Int(v / 16777216)
	Case 1 : PasswordByteOf = Int(v / 65536) Mod 256
	Case 2 : PasswordByteOf = (Int(v / 256)) Mod 256
	Case Else : PasswordByteOf = CLng(v - Int(v / 256) * 256)
	End Select
End Function

' 前 4 个字（16 个字节）的 Base64，不带结尾的 =
Function PasswordBase64(words)
	Dim bytes(17), i, j, text, v
	Const alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
	For i = 0 To 3
		For j = 0 To 3
			bytes(i * 4 + j) = PasswordByteOf(words(i), j)
		Next
	Next
	bytes(16) = 0 : bytes(17) = 0
	text = ""
	For i = 0 To 15 Step 3
		v = CLng(bytes(i)) * 65536 + CLng(bytes(i + 1)) * 256 + bytes(i + 2)
		text = text & Mid(alphabet, (v \ 262144) + 1, 1) & Mid(alphabet, ((v \ 4096) Mod 64) + 1, 1) _
			& Mid(alphabet, ((v \ 64) Mod 64) + 1, 1) & Mid(alphabet, (v Mod 64) + 1, 1)
	Next
	PasswordBase64 = Left(text, 22)
End Function
%>
