<%
'==========================================================================
' inc/sha256.asp —— SHA-256（FIPS 180-4）
'
'   Sha256Hex(text)              文本按 UTF-8 编码后的 SHA-256，64 位小写十六进制
'   Sha256Utf8(text)             Array(字节数组, 字节数)：文本的 UTF-8 字节
'   Sha256Start()                初始状态（8 个字）
'   Sha256Block state, words     用一个 64 字节块（16 个字）更新 state
'   Sha256Finish(state, bytes, count, before)
'                                把 bytes 的前 count 个字节补位后压缩进 state；before 是
'                                state 之前已经压缩过的字节数（64 的倍数）；返回 state
'   Sha256HexOf(state)           状态的 64 位十六进制
'
' 一个“字”是与 32 位无符号数同样位模式的 Long。移位和循环移位都写在表达式里：
' 在解释执行的 VBScript 里，函数调用比运算本身贵得多，口令的慢速摘要每次登录
' 要压缩几十个块（inc/password.asp）。加法先在 Double 里做，再折回 32 位。
' 不依赖服务器的代码页和组件，在任何 VBScript 引擎上得到同样的结果。
'==========================================================================

Dim Sha256K(63), Sha256IV

Sub Sha256Init()
	Dim k, i
	If Not IsEmpty(Sha256IV) Then Exit Sub
	k = Split("428a2f98 71374491 b5c0fbcf e9b5dba5 3956c25b 59f111f1 923f82a4 ab1c5ed5 " _
		& "d807aa98 12835b01 243185be 550c7dc3 72be5d74 80deb1fe 9bdc06a7 c19bf174 " _
		& "e49b69c1 efbe4786 0fc19dc6 240ca1cc 2de92c6f 4a7484aa 5cb0a9dc 76f988da " _
		& "983e5152 a831c66d b00327c8 bf597fc7 c6e00bf3 d5a79147 06ca6351 14292967 " _
		& "27b70a85 2e1b2138 4d2c6dfc 53380d13 650a7354 766a0abb 81c2c92e 92722c85 " _
		& "a2bfe8a1 a81a664b c24b8b70 c76c51a3 d192e819 d6990624 f40e3585 106aa070 " _
		& "19a4c116 1e376c08 2748774c 34b0bcb5 391c0cb3 4ed8aa4a 5b9cca4f 682e6ff3 " _
		& "748f82ee 78a5636f 84c87814 8cc70208 90befffa a4506ceb bef9a3f7 c67178f2", " ")
	For i = 0 To 63
		Sha256K(i) = CLng("&H" & k(i))
	Next
	Sha256IV = Array(CLng("&H6a09e667"), CLng("&Hbb67ae85"), CLng("&H3c6ef372"), CLng("&Ha54ff53a"), _
		CLng("&H510e527f"), CLng("&H9b05688c"), CLng("&H1f83d9ab"), CLng("&H5be0cd19"))
End Sub

Function Sha256Start()
	Sha256Init
	Sha256Start = Sha256IV
End Function

' 循环右移 n 位 = 无符号右移 n 位 Or 左移 32-n 位。无符号右移：去掉符号位后整除，
' 原来的符号位落到第 31-n 位；左移：只留不会移出去的低位相乘，落到第 31 位的那一位另补。
Sub Sha256Block(state, words)
	Dim w(63), j, x, y, t, t1, t2, a, b, c, d, e, f, g, h
	For j = 0 To 15
		w(j) = words(j)
	Next
	For j = 16 To 63
		x = w(j - 15)
		y = w(j - 2)
		t = CDbl(w(j - 16)) + w(j - 7) + ((((x And 2147483647) \ 128 Or ((x < 0) And 16777216)) Or ((x And 63) * 33554432 Or (((x And 64) <> 0) And &H80000000))) Xor (((x And 2147483647) \ 262144 Or ((x < 0) And 8192)) Or ((x And 131071) * 16384 Or (((x And 131072) <> 0) And &H80000000))) Xor ((x And 2147483647) \ 8 Or ((x < 0) And 268435456))) _
			+ ((((y And 2147483647) \ 131072 Or ((y < 0) And 16384)) Or ((y And 65535) * 32768 Or (((y And 65536) <> 0) And &H80000000))) Xor (((y And 2147483647) \ 524288 Or ((y < 0) And 4096)) Or ((y And 262143) * 8192 Or (((y And 262144) <> 0) And &H80000000))) Xor ((y And 2147483647) \ 1024 Or ((y < 0) And 2097152)))
		w(j) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	Next
	a = state(0) : b = state(1) : c = state(2) : d = state(3)
	e = state(4) : f = state(5) : g = state(6) : h = state(7)
	For j = 0 To 63
		t1 = CDbl(h) + ((((e And 2147483647) \ 64 Or ((e < 0) And 33554432)) Or ((e And 31) * 67108864 Or (((e And 32) <> 0) And &H80000000))) Xor (((e And 2147483647) \ 2048 Or ((e < 0) And 1048576)) Or ((e And 1023) * 2097152 Or (((e And 1024) <> 0) And &H80000000))) Xor (((e And 2147483647) \ 33554432 Or ((e < 0) And 64)) Or ((e And 16777215) * 128 Or (((e And 16777216) <> 0) And &H80000000)))) _
			+ ((e And f) Xor ((Not e) And g)) + Sha256K(j) + w(j)
		t2 = CDbl((((a And 2147483647) \ 4 Or ((a < 0) And 536870912)) Or ((a And 1) * 1073741824 Or (((a And 2) <> 0) And &H80000000))) Xor (((a And 2147483647) \ 8192 Or ((a < 0) And 262144)) Or ((a And 4095) * 524288 Or (((a And 4096) <> 0) And &H80000000))) Xor (((a And 2147483647) \ 4194304 Or ((a < 0) And 512)) Or ((a And 2097151) * 1024 Or (((a And 2097152) <> 0) And &H80000000)))) _
			+ ((a And b) Xor (a And c) Xor (b And c))
		h = g : g = f : f = e
		t = d + t1
		e = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
		d = c : c = b : b = a
		t = t1 + t2
		a = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	Next
	t = CDbl(state(0)) + a : state(0) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	t = CDbl(state(1)) + b : state(1) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	t = CDbl(state(2)) + c : state(2) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	t = CDbl(state(3)) + d : state(3) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	t = CDbl(state(4)) + e : state(4) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	t = CDbl(state(5)) + f : state(5) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	t = CDbl(state(6)) + g : state(6) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
	t = CDbl(state(7)) + h : state(7) = CLng(t - Int((t + 2147483648) / 4294967296) * 4294967296)
End Sub

' 字节 (0..255) 放进大端序的字：第 i 个字节在第 i \ 4 个字的第 (3 - i Mod 4) 个字节
Function Sha256ByteInWord(value, position)
	Select Case position
	Case 0
		If value >= 128 Then
			Sha256ByteInWord = CLng((value - 128) * 16777216) Or &H80000000
		Else
			Sha256ByteInWord = CLng(value * 16777216)
		End If
	Case 1
		Sha256ByteInWord = CLng(value * 65536)
	Case 2
		Sha256ByteInWord = CLng(value * 256)
	Case Else
		Sha256ByteInWord = CLng(value)
	End Select
End Function

Function Sha256Finish(state, bytes, count, before)
	Dim total, words, i, block(15), j, bits
	' 补位：0x80，若干 0，最后 8 个字节是位数（高 4 字节总是 0）
	total = ((count + 8) \ 64 + 1) * 16
	ReDim words(total - 1)
	For i = 0 To total - 1
		words(i) = 0
	Next
	For i = 0 To count - 1
		words(i \ 4) = words(i \ 4) Or Sha256ByteInWord(bytes(i), i Mod 4)
	Next
	words(count \ 4) = words(count \ 4) Or Sha256ByteInWord(128, count Mod 4)
	bits = (CDbl(count) + before) * 8
	words(total - 2) = CLng(Int(bits / 4294967296))
	bits = bits - Int(bits / 4294967296) * 4294967296
	If bits >= 2147483648 Then bits = bits - 4294967296
	words(total - 1) = CLng(bits)
	For i = 0 To total - 1 Step 16
		For j = 0 To 15
			block(j) = words(i + j)
		Next
		Sha256Block state, block
	Next
	Sha256Finish = state
End Function

Function Sha256HexOf(state)
	Dim i, result
	result = ""
	For i = 0 To 7
		result = result & Right("0000000" & LCase(Hex(state(i))), 8)
	Next
	Sha256HexOf = result
End Function

' 文本的 UTF-8 字节（数组，每项 0..255）；成对的代理项合成一个字符
' （代理项的界限写成十进制：&HD800 这样的写法是负的 Integer）
Function Sha256Utf8(text)
	Dim bytes, count, i, unit, nextUnit, code
	ReDim bytes(Len(text) * 4 + 1)
	count = 0
	i = 1
	Do While i <= Len(text)
		unit = Sha256CodeUnit(Mid(text, i, 1))
		code = unit
		If unit >= 55296 And unit <= 56319 And i < Len(text) Then
			nextUnit = Sha256CodeUnit(Mid(text, i + 1, 1))
			If nextUnit >= 56320 And nextUnit <= 57343 Then
				code = (unit - 55296) * 1024 + (nextUnit - 56320) + 65536
				i = i + 1
			End If
		End If
		If code < 128 Then
			bytes(count) = code
			count = count + 1
		ElseIf code < 2048 Then
			bytes(count) = 192 + (code \ 64)
			bytes(count + 1) = 128 + (code Mod 64)
			count = count + 2
		ElseIf code < 65536 Then
			bytes(count) = 224 + (code \ 4096)
			bytes(count + 1) = 128 + ((code \ 64) Mod 64)
			bytes(count + 2) = 128 + (code Mod 64)
			count = count + 3
		Else
			bytes(count) = 240 + (code \ 262144)
			bytes(count + 1) = 128 + ((code \ 4096) Mod 64)
			bytes(count + 2) = 128 + ((code \ 64) Mod 64)
			bytes(count + 3) = 128 + (code Mod 64)
			count = count + 4
		End If
		i = i + 1
	Loop
	Sha256Utf8 = Array(bytes, count)
End Function

' 一个字符的 UTF-16 代码单元（0..65535）
Function Sha256CodeUnit(ch)
	Dim code
	code = AscW(ch)
	If code < 0 Then code = code + 65536
	Sha256CodeUnit = code
End Function

Function Sha256Hex(text)
	Dim encoded
	encoded = Sha256Utf8(text & "")
	Sha256Hex = Sha256HexOf(Sha256Finish(Sha256Start(), encoded(0), encoded(1), 0))
End Function
%>
