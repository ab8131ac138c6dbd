<%
'==========================================================================
' inc/md5.asp —— MD5 摘要（RFC 1321）
'
'   MD5(s)      32 位小写十六进制摘要，例如 MD5("abc") = "900150983cd24fb0d6963f7d28e17f72"
'   MD5_16(s)   取 32 位摘要的第 9～24 位，共 16 位
'
' 摘要按字符串在服务器 ANSI 代码页下的字节计算（中文 Windows 上即 GBK）；
' 只含英文字母、数字和符号的字符串在任何服务器上结果都一样。
'
' VBScript 只有带符号的 32 位整数（Long），下面用 Md5Add、Md5ShiftLeft、Md5ShiftRight
' 在它上面做无符号的加法和移位，不会溢出。
'==========================================================================

Dim Md5Pow2(30), Md5LowMask(31), Md5Sine, Md5Shift
Md5InitTables

Sub Md5InitTables()
	Dim i
	Md5Pow2(0) = 1
	For i = 1 To 30
		Md5Pow2(i) = Md5Pow2(i - 1) * 2
	Next
	Md5LowMask(0) = 0
	For i = 1 To 30
		Md5LowMask(i) = Md5LowMask(i - 1) * 2 + 1
	Next
	Md5LowMask(31) = &H7FFFFFFF
	' 第 i 步的常数：abs(sin(i+1)) * 2^32 的整数部分
	Md5Sine = Array( _
		&HD76AA478, &HE8C7B756, &H242070DB, &HC1BDCEEE, &HF57C0FAF, &H4787C62A, &HA8304613, &HFD469501, _
		&H698098D8, &H8B44F7AF, &HFFFF5BB1, &H895CD7BE, &H6B901122, &HFD987193, &HA679438E, &H49B40821, _
		&HF61E2562, &HC040B340, &H265E5A51, &HE9B6C7AA, &HD62F105D, &H02441453, &HD8A1E681, &HE7D3FBC8, _
		&H21E1CDE6, &HC33707D6, &HF4D50D87, &H455A14ED, &HA9E3E905, &HFCEFA3F8, &H676F02D9, &H8D2A4C8A, _
		&HFFFA3942, &H8771F681, &H6D9D6122, &HFDE5380C, &HA4BEEA44, &H4BDECFA9, &HF6BB4B60, &HBEBFBC70, _
		&H289B7EC6, &HEAA127FA, &HD4EF3085, &H04881D05, &HD9D4D039, &HE6DB99E5, &H1FA27CF8, &HC4AC5665, _
		&HF4292244, &H432AFF97, &HAB9423A7, &HFC93A039, &H655B59C3, &H8F0CCC92, &HFFEFF47D, &H85845DD1, _
		&H6FA87E4F, &HFE2CE6E0, &HA3014314, &H4E0811A1, &HF7537E82, &HBD3AF235, &H2AD7D2BB, &HEB86D391)
	' 每一轮四步的循环左移位数
	Md5Shift = Array(7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21)
End Sub

' 32 位无符号左移（bits 为 0～31），移出的高位丢弃
Function Md5ShiftLeft(value, bits)
	Dim r
	If bits = 0 Then
		Md5ShiftLeft = value
	ElseIf bits = 31 Then
		If value And 1 Then
			Md5ShiftLeft = &H80000000
		Else
			Md5ShiftLeft = 0
		End If
	Else
		r = (value And Md5LowMask(31 - bits)) * Md5Pow2(bits)
		If value And Md5Pow2(31 - bits) Then r = r Or &H80000000
		Md5ShiftLeft = r
	End If
End Function

' 32 位无符号右移（bits 为 0～31），高位补 0
Function Md5ShiftRight(value, bits)
	Dim r
	If bits = 0 Then
		Md5ShiftRight = value
	Else
		r = (value And &H7FFFFFFF) \ Md5Pow2(bits - 1) \ 2
		If value < 0 Then r = r Or Md5Pow2(31 - bits)
		Md5ShiftRight = r
	End If
End Function

Function Md5Rotate(value, bits)
	Md5Rotate = Md5ShiftLeft(value, bits) Or Md5ShiftRight(value, 32 - bits)
End Function

' 32 位无符号加法，进位丢弃：低 30 位直接相加，第 30、31 位按进位规则合成
Function Md5Add(x, y)
	Dim x4, y4, x8, y8, r
	x8 = x And &H80000000
	y8 = y And &H80000000
	x4 = x And &H40000000
	y4 = y And &H40000000
	r = (x And &H3FFFFFFF) + (y And &H3FFFFFFF)
	If x4 <> 0 And y4 <> 0 Then
		r = r Xor &H80000000 Xor x8 Xor y8
	ElseIf x4 <> 0 Or y4 <> 0 Then
		If r And &H40000000 Then
			r = r Xor &HC0000000 Xor x8 Xor y8
		Else
			r = r Xor &H40000000 Xor x8 Xor y8
		End If
	Else
		r = r Xor x8 Xor y8
	End If
	Md5Add = r
End Function

' 字符串 -> 字节值数组（ANSI 代码页下的字节）
Function Md5Bytes(text)
	Dim s, i, code, bytes, count
	s = text & ""
	ReDim bytes(Len(s) * 2)
	count = 0
	For i = 1 To Len(s)
		code = Asc(Mid(s, i, 1))
		If code < 0 Then code = code + 65536
		If code > 255 Then
			bytes(count) = code \ 256
			bytes(count + 1) = code And 255
			count = count + 2
		Else
			bytes(count) = code
			count = count + 1
		End If
	Next
	Md5Bytes = Array(bytes, count)
End Function

' 填充后的 32 位字（小端）数组
Function Md5Words(text)
	Dim packed, bytes, count, wordCount, words, i, lengthLow
	packed = Md5Bytes(text)
	bytes = packed(0)
	count = packed(1)
	wordCount = ((count + 8) \ 64 + 1) * 16
	ReDim words(wordCount - 1)
	For i = 0 To wordCount - 1
		words(i) = 0
	Next
	For i = 0 To count - 1
		words(i \ 4) = words(i \ 4) Or Md5ShiftLeft(bytes(i), (i Mod 4) * 8)
	Next
	words(count \ 4) = words(count \ 4) Or Md5ShiftLeft(&H80, (count Mod 4) * 8)
	' 位长度的低 32 位和高 32 位
	lengthLow = Md5ShiftLeft(count And &H1FFFFFFF, 3)
	words(wordCount - 2) = lengthLow
	words(wordCount - 1) = Md5ShiftRight(count, 29)
	Md5Words = words
End Function

Function Md5WordHex(value)
	Dim i, b, s
	s = ""
	For i = 0 To 3
		b = Md5ShiftRight(value, i * 8) And 255
		s = s & Right("0" & LCase(Hex(b)), 2)
	Next
	Md5WordHex = s
End Function

Function MD5(text)
	Dim x, k, i, a, b, c, d, aa, bb, cc, dd, f, g, t
	x = Md5Words(text)
	a = &H67452301
	b = &HEFCDAB89
	c = &H98BADCFE
	d = &H10325476
	For k = 0 To UBound(x) Step 16
		aa = a
		bb = b
		cc = c
		dd = d
		For i = 0 To 63
			Select Case i \ 16
				Case 0
					f = (b And c) Or ((Not b) And d)
					g = i
				Case 1
					f = (b And d) Or (c And (Not d))
					g = (5 * i + 1) Mod 16
				Case 2
					f = b Xor c Xor d
					g = (3 * i + 5) Mod 16
				Case Else
					f = c Xor (b Or (Not d))
					g = (7 * i) Mod 16
			End Select
			t = d
			d = c
			c = b
			b = Md5Add(b, Md5Rotate(Md5Add(Md5Add(a, f), Md5Add(Md5Sine(i), x(k + g))), Md5Shift((i \ 16) * 4 + (i Mod 4))))
			a = t
		Next
		a = Md5Add(a, aa)
		b = Md5Add(b, bb)
		c = Md5Add(c, cc)
		d = Md5Add(d, dd)
	Next
	MD5 = Md5WordHex(a) & Md5WordHex(b) & Md5WordHex(c) & Md5WordHex(d)
End Function

Function MD5_16(text)
	MD5_16 = Mid(MD5(text), 9, 16)
End Function
%>
