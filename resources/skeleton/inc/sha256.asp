<%
'==========================================================================
' inc/sha256.asp —— SHA-256（FIPS 180-4）与带盐的密码摘要
'
'   Sha256Hex(text)            文本按 UTF-8 编码后的 SHA-256，64 位小写十六进制
'   PasswordHash(plain)        新的随机盐 + 摘要："$" & 盐(16 位十六进制) & "$" & 摘要前 32 位
'                              共 50 个字符，放得进 50 字的文本列
'   PasswordMatches(stored, plain)
'                              stored 是摘要时按它的盐重算比较；否则（旧数据的明文）逐字比较
'   IsPasswordHash(stored)     stored 是否是 PasswordHash 写出的样子
'
' 只用 Long 的 And/Or/Xor/Not 和 Double 的加法，不依赖服务器的代码页和组件，
' 在任何 VBScript 引擎上得到同样的结果。
'==========================================================================

Dim Sha256Pow2(32), Sha256K(63)

Sub Sha256Init()
	Dim i, k
	If Sha256Pow2(0) = 1 Then Exit Sub
	Sha256Pow2(0) = 1
	For i = 1 To 32
		Sha256Pow2(i) = Sha256Pow2(i - 1) * 2
	Next
	k = Split("428a2f98 71374491 b5c0fbcf e9b5dba5 3956c25b 59f111f1 923f82a4 ab1c5ed5 " _
		& "d807aa98 12835b01 243185be 550c7dc3 72be5d74 80deb1fe 9bdc06a7 c19bf174 " _
		& "e49b69c1 efbe4786 0fc19dc6 240ca1cc 2de92c6f 4a7484aa 5cb0a9dc 76f988da " _
		& "983e5152 a831c66d b00327c8 bf597fc7 c6e00bf3 d5a79147 06ca6351 14292967 " _
		& "27b70a85 2e1b2138 4d2c6dfc 53380d13 650a7354 766a0abb 81c2c92e 92722c85 " _
		& "a2bfe8a1 a81a664b c24b8b70 c76c51a3 d192e819 d6990624 f40e3585 106aa070 " _
		& "19a4c116 1e376c08 2748774c 34b0bcb5 391c0cb3 4ed8aa4a 5b9cca4f 682e6ff3 " _
		& "748f82ee 78a5636f 84c87814 8cc70208 90befffa a4506ceb bef9a3f7 c67178f2", " ")
	For i = 0 To 63
		Sha256K(i) = Sha256FromHex(k(i))
	Next
End Sub

' 8 位十六进制 -> 有符号 32 位整数
Function Sha256FromHex(text)
	Dim value
	value = CDbl(CLng("&H" & Left(text, 4))) * 65536 + CLng("&H" & Right(text, 4))
	Sha256FromHex = Sha256Signed(value)
End Function

' 0 .. 2^32-1 的数 -> 同样位模式的 Long
Function Sha256Signed(value)
	If value >= 2147483648 Then
		Sha256Signed = CLng(value - 4294967296)
	Else
		Sha256Signed = CLng(value)
	End If
End Function

Function Sha256Unsigned(word)
	If word < 0 Then
		Sha256Unsigned = CDbl(word) + 4294967296
	Else
		Sha256Unsigned = CDbl(word)
	End If
End Function

Function Sha256Add(a, b)
	Dim s
	s = Sha256Unsigned(a) + Sha256Unsigned(b)
	If s >= 4294967296 Then s = s - 4294967296
	Sha256Add = Sha256Signed(s)
End Function

Function Sha256ShiftRight(word, bits)
	Sha256ShiftRight = CLng(Int(Sha256Unsigned(word) / Sha256Pow2(bits)))
End Function

' 左移：先留下不会移出去的低位，乘法就不会超出 Double 的精确范围
Function Sha256ShiftLeft(word, bits)
	Dim low
	If bits = 0 Then
		Sha256ShiftLeft = word
		Exit Function
	End If
	low = word And CLng(Sha256Pow2(32 - bits) - 1)
	Sha256ShiftLeft = Sha256Signed(CDbl(low) * Sha256Pow2(bits))
End Function

Function Sha256Rotate(word, bits)
	Sha256Rotate = Sha256ShiftRight(word, bits) Or Sha256ShiftLeft(word, 32 - bits)
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
	Dim encoded, bytes, count, total, words, i, j, t
	Dim h(7), w(63), a, b, c, d, e, f, g, hh, s0, s1, t1, t2, result
	Sha256Init
	encoded = Sha256Utf8(text)
	bytes = encoded(0)
	count = encoded(1)
	' 补位：0x80，若干 0，最后 8 个字节是位数（高 4 字节总是 0）
	total = ((count + 8) \ 64 + 1) * 16
	ReDim words(total - 1)
	For i = 0 To total - 1
		words(i) = 0
	Next
	For i = 0 To count - 1
		words(i \ 4) = words(i \ 4) Or Sha256ShiftLeft(bytes(i), 24 - (i Mod 4) * 8)
	Next
	words(count \ 4) = words(count \ 4) Or Sha256ShiftLeft(128, 24 - (count Mod 4) * 8)
	words(total - 1) = Sha256Signed(CDbl(count) * 8)

	h(0) = Sha256FromHex("6a09e667") : h(1) = Sha256FromHex("bb67ae85")
	h(2) = Sha256FromHex("3c6ef372") : h(3) = Sha256FromHex("a54ff53a")
	h(4) = Sha256FromHex("510e527f") : h(5) = Sha256FromHex("9b05688c")
	h(6) = Sha256FromHex("1f83d9ab") : h(7) = Sha256FromHex("5be0cd19")
	For i = 0 To total - 1 Step 16
		For j = 0 To 15
			w(j) = words(i + j)
		Next
		For j = 16 To 63
			s0 = Sha256Rotate(w(j - 15), 7) Xor Sha256Rotate(w(j - 15), 18) Xor Sha256ShiftRight(w(j - 15), 3)
			s1 = Sha256Rotate(w(j - 2), 17) Xor Sha256Rotate(w(j - 2), 19) Xor Sha256ShiftRight(w(j - 2), 10)
			w(j) = Sha256Add(Sha256Add(w(j - 16), s0), Sha256Add(w(j - 7), s1))
		Next
		a = h(0) : b = h(1) : c = h(2) : d = h(3) : e = h(4) : f = h(5) : g = h(6) : hh = h(7)
		For j = 0 To 63
			s1 = Sha256Rotate(e, 6) Xor Sha256Rotate(e, 11) Xor Sha256Rotate(e, 25)
			t1 = Sha256Add(Sha256Add(hh, s1), Sha256Add(Sha256Add((e And f) Xor ((Not e) And g), Sha256K(j)), w(j)))
			s0 = Sha256Rotate(a, 2) Xor Sha256Rotate(a, 13) Xor Sha256Rotate(a, 22)
			t2 = Sha256Add(s0, (a And b) Xor (a And c) Xor (b And c))
			hh = g : g = f : f = e : e = Sha256Add(d, t1)
			d = c : c = b : b = a : a = Sha256Add(t1, t2)
		Next
		h(0) = Sha256Add(h(0), a) : h(1) = Sha256Add(h(1), b)
		h(2) = Sha256Add(h(2), c) : h(3) = Sha256Add(h(3), d)
		h(4) = Sha256Add(h(4), e) : h(5) = Sha256Add(h(5), f)
		h(6) = Sha256Add(h(6), g) : h(7) = Sha256Add(h(7), hh)
	Next
	result = ""
	For i = 0 To 7
		t = Sha256Unsigned(h(i))
		result = result & Right("0000" & LCase(Hex(Int(t / 65536))), 4) & Right("0000" & LCase(Hex(t - Int(t / 65536) * 65536)), 4)
	Next
	Sha256Hex = result
End Function

Function PasswordHashWithSalt(salt, plain)
	PasswordHashWithSalt = "$" & salt & "$" & Left(Sha256Hex(salt & plain), 32)
End Function

Function PasswordHash(plain)
	Dim salt, i
	Randomize
	salt = ""
	For i = 1 To 16
		salt = salt & LCase(Hex(Int(Rnd * 16)))
	Next
	PasswordHash = PasswordHashWithSalt(salt, plain)
End Function

Function IsPasswordHash(stored)
	Dim re
	Set re = New RegExp
	re.Pattern = "^\$[0-9a-f]{16}\$[0-9a-f]{32}$"
	IsPasswordHash = re.Test(stored & "")
End Function

Function PasswordMatches(stored, plain)
	Dim text
	text = stored & ""
	If IsPasswordHash(text) Then
		PasswordMatches = (PasswordHashWithSalt(Mid(text, 2, 16), plain & "") = text)
	Else
		PasswordMatches = (text <> "" And text = plain & "")
	End If
End Function
%>
