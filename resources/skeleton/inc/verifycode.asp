<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%><!--#include file="random.asp"--><%
'==========================================================================
' inc/verifycode.asp —— 登录用的验证码图片
'
' 每次请求用系统的加密随机数（inc/random.asp）生成 4 位数字，存入 Session("verifycode")，并输出一张 60×20 的
' 24 位 BMP 图片（浅蓝底、深色数字、少量干扰点和干扰线）。
' 登录页用一个 img 标签显示本页（地址 inc/verifycode.asp），点击图片时在地址后加随机数重新读取；
' 提交后用 inc/function.asp 的 CheckVerifyCode(输入值) 核对。
'
' 图片的字节先拼成十六进制文字，再借 MSXML 的 bin.hex 节点转成字节数组输出。
'==========================================================================
Response.Buffer = True
Response.Expires = -1
Response.AddHeader "Pragma", "no-cache"
Response.AddHeader "Cache-Control", "no-cache, no-store"

Dim vcWidth, vcHeight, vcPixels, vcCode, vcFont
vcWidth = 60
vcHeight = 20

vcFont = VcFontPatterns()
ReDim vcPixels(vcWidth * vcHeight - 1)
Randomize
vcCode = VcRandomDigits(4)
Session("verifycode") = vcCode
VcDraw vcCode

Response.Clear
Response.ContentType = "image/bmp"
Response.BinaryWrite VcBinary(VcBitmapHex())
Response.End

' 数字 0～9 的 5×7 点阵，每个数字 7 行、每行 5 点，"1" 为笔画
Function VcFontPatterns()
	VcFontPatterns = Array( _
		"01110100011001110101110011000101110", _
		"00100011000010000100001000010001110", _
		"01110100010000100010001000100011111", _
		"11111000100010000010000011000101110", _
		"00010001100101010010111110001000010", _
		"11111100001111000001000011000101110", _
		"00110010001000011110100011000101110", _
		"11111000010001000100010000100001000", _
		"01110100011000101110100011000101110", _
		"01110100011000101111000010001001100")
End Function

' 十六进制的随机位里只留 0～9，每个数字同样可能（干扰点和线只是样子，用 Rnd 就够）
Function VcRandomDigits(count)
	Dim s, pool, i, c
	s = ""
	Do While Len(s) < count
		pool = SiteRandomHex(16)
		For i = 1 To Len(pool)
			c = Mid(pool, i, 1)
			If c >= "0" And c <= "9" And Len(s) < count Then s = s & c
		Next
	Loop
	VcRandomDigits = s
End Function

' BMP 的颜色顺序是 蓝、绿、红
Function VcColor(r, g, b)
	VcColor = Right("0" & Hex(b), 2) & Right("0" & Hex(g), 2) & Right("0" & Hex(r), 2)
End Function

Sub VcSetPixel(x, y, color)
	If x >= 0 And x < vcWidth And y >= 0 And y < vcHeight Then vcPixels(y * vcWidth + x) = color
End Sub

Sub VcDraw(code)
	Dim i, k, x, row, col, left0, top0, color, pattern, y0, y1
	For i = 0 To UBound(vcPixels)
		vcPixels(i) = VcColor(238, 244, 250)
	Next
	' 干扰线
	For k = 1 To 2
		y0 = Int(Rnd * vcHeight)
		y1 = Int(Rnd * vcHeight)
		color = VcColor(150 + Int(Rnd * 60), 180 + Int(Rnd * 50), 210 + Int(Rnd * 40))
		For x = 0 To vcWidth - 1
			VcSetPixel x, Int(y0 + (y1 - y0) * x / (vcWidth - 1)), color
		Next
	Next
	' 数字，放大两倍，每个数字上下随机错开
	For k = 1 To Len(code)
		pattern = vcFont(CInt(Mid(code, k, 1)))
		left0 = 4 + (k - 1) * 14
		top0 = 1 + Int(Rnd * 5)
		color = VcColor(Int(Rnd * 60), 40 + Int(Rnd * 60), 100 + Int(Rnd * 90))
		For row = 0 To 6
			For col = 0 To 4
				If Mid(pattern, row * 5 + col + 1, 1) = "1" Then
					VcSetPixel left0 + col * 2, top0 + row * 2, color
					VcSetPixel left0 + col * 2 + 1, top0 + row * 2, color
					VcSetPixel left0 + col * 2, top0 + row * 2 + 1, color
					VcSetPixel left0 + col * 2 + 1, top0 + row * 2 + 1, color
				End If
			Next
		Next
	Next
	' 干扰点
	For k = 1 To 40
		VcSetPixel Int(Rnd * vcWidth), Int(Rnd * vcHeight), VcColor(100 + Int(Rnd * 120), 120 + Int(Rnd * 100), 160 + Int(Rnd * 90))
	Next
End Sub

' 小端序的十六进制文字
Function VcLittleEndian(value, byteCount)
	Dim i, s, v
	s = ""
	v = value
	For i = 1 To byteCount
		s = s & Right("0" & Hex(v Mod 256), 2)
		v = v \ 256
	Next
	VcLittleEndian = s
End Function

' 整张 BMP 的十六进制文字：文件头 14 字节 + 信息头 40 字节 + 自下而上的像素行
Function VcBitmapHex()
	Dim rowBytes, dataSize, result, x, y, line
	rowBytes = ((vcWidth * 3 + 3) \ 4) * 4
	dataSize = rowBytes * vcHeight
	result = "424D" & VcLittleEndian(54 + dataSize, 4) & "00000000" & VcLittleEndian(54, 4) _
		& VcLittleEndian(40, 4) & VcLittleEndian(vcWidth, 4) & VcLittleEndian(vcHeight, 4) _
		& VcLittleEndian(1, 2) & VcLittleEndian(24, 2) & VcLittleEndian(0, 4) & VcLittleEndian(dataSize, 4) _
		& VcLittleEndian(2835, 4) & VcLittleEndian(2835, 4) & VcLittleEndian(0, 4) & VcLittleEndian(0, 4)
	For y = vcHeight - 1 To 0 Step -1
		line = ""
		For x = 0 To vcWidth - 1
			line = line & vcPixels(y * vcWidth + x)
		Next
		result = result & line & String((rowBytes - vcWidth * 3) * 2, "0")
	Next
	VcBitmapHex = result
End Function

Function VcBinary(hexText)
	Dim doc, node
	Set doc = Server.CreateObject("MSXML2.DOMDocument")
	Set node = doc.createElement("b")
	node.dataType = "bin.hex"
	node.Text = hexText
	VcBinary = node.nodeTypedValue
End Function
%>