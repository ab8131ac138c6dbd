<%
'==========================================================================
' inc/values.asp —— 提交值的检查和表单里显示的值（不随服务器的地区设置变）
'
'   SiteValue(value, kind, caption)
'                         按列的类型检查一个提交值，返回要写入的值（空值为 Null）；
'                         不合要求时用页面的提示框说明是哪个字段，并返回上一页
'   SiteFormValue(value, kind)
'                         存着的值在表单和页面上显示的样子（已经 HTML 编码），
'                         正是 SiteValue 接受的写法：原样提交就原样保存
'   SiteIsNumber(text)    带正负号、小数点或指数（1E+15）的数字写法
'   SiteNumberOf(text)    这种写法的值（Double）
'   SitePassword(value, caption)
'                         登录密码不能长过登录页比较的 50 个字
'   SiteSearchNumber(text, kind)
'                         查询条件里的数字：合列的类型和范围时是放进查询语句的写法，否则为空
'   SiteLikeText(text)    近似查询的值：% _ [ 按字面匹配
'   SiteHasControl(text)  含有控制字符（制表、回车、换行之外）
'
' 小数点总是 .，日期总是 年-月-日 时:分:秒，逻辑值总是 是/否：服务器用中文、英文还是
' 德文的地区设置，页面显示和接受的都一样。CDbl、CDate 按服务器的地区设置读数字和日期
' （德文设置下 CDbl("1.5") 是 15），所以这里自己拆数字、用 DateSerial 拼日期。
'
' kind：text longtext memo html htmltext htmllongtext（文本、长文本列里的富文本）
'       auto long short byte single double decimal currency date bool
'==========================================================================

' 数字的写法：正负号、整数部分、小数部分、e 指数（1E+15、1.5E-15、-.5）
Function SiteIsNumber(text)
	SiteIsNumber = SiteMatches(Trim(text & ""), "^[-+]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][-+]?[0-9]{1,4})?$")
End Function

Function SiteReplaced(text, pattern, replacement)
	Dim re
	Set re = New RegExp
	re.Pattern = pattern
	SiteReplaced = re.Replace(text & "", replacement)
End Function

' 本服务器的小数点（CStr、CDbl 用它）
Function SiteDecimalSeparator()
	SiteDecimalSeparator = Mid(CStr(0.5), 2, 1)
End Function

' 把一个合 SiteIsNumber 的写法拆成符号、有效数字和十的指数：-12.50 -> "-", "125", -1；
' 零的有效数字为空。只用正则和字符串，长串也是线性的时间
Sub SiteSplitNumber(ByVal text, sign, digits, exponent)
	Dim p, fraction
	text = Trim(text)
	sign = ""
	If Left(text, 1) = "-" Or Left(text, 1) = "+" Then
		If Left(text, 1) = "-" Then sign = "-"
		text = Mid(text, 2)
	End If
	exponent = 0
	p = InStr(LCase(text), "e")
	If p > 0 Then
		exponent = CLng(SiteReplaced(Mid(text, p + 1), "^\+", ""))
		text = Left(text, p - 1)
	End If
	p = InStr(text, ".")
	If p > 0 Then
		fraction = SiteReplaced(Mid(text, p + 1), "0+$", "")
		exponent = exponent - Len(fraction)
		text = Left(text, p - 1) & fraction
	End If
	digits = SiteReplaced(text, "^0+", "")
	fraction = SiteReplaced(digits, "0+$", "")
	exponent = exponent + Len(digits) - Len(fraction)
	digits = fraction
	If digits = "" Then
		sign = ""
		exponent = 0
	End If
End Sub

' 有效数字和指数拼成本服务器的 CDbl 读得懂的写法，再读成数
Function SiteNumberFromParts(sign, digits, exponent)
	If digits = "" Then
		SiteNumberFromParts = CDbl(0)
		Exit Function
	End If
	Dim text
	text = sign & Left(digits, 1)
	If Len(digits) > 1 Then text = text & SiteDecimalSeparator() & Mid(digits, 2)
	SiteNumberFromParts = CDbl(text & "E" & (exponent + Len(digits) - 1))
End Function

' 一个合 SiteIsNumber 的写法的值（Double），不看服务器的地区设置
Function SiteNumberOf(text)
	Dim sign, digits, exponent
	SiteSplitNumber text, sign, digits, exponent
	SiteNumberOf = SiteNumberFromParts(sign, digits, exponent)
End Function

Sub SiteRefuseNumber(kind, caption, sign, digits, exponent)
	' 数量级：最高位在 10 的几次方
	Dim magnitude
	magnitude = exponent + Len(digits) - 1
	Select Case kind
	Case "single"
		If digits <> "" And (magnitude > 38 Or magnitude < -38) Then SiteRefuse caption, "超出了单精度数的范围"
		If Len(digits) > 7 Then SiteRefuse caption, "的有效数字太多（单精度最多 7 位）"
		If digits <> "" And magnitude = 38 Then
			If SiteNumberFromParts("", digits, exponent - 38) > 3.402823 Then SiteRefuse caption, "超出了单精度数的范围"
		End If
	Case "double"
		If digits <> "" And (magnitude > 308 Or magnitude < -307) Then SiteRefuse caption, "超出了双精度数的范围"
		If Len(digits) > 15 Then SiteRefuse caption, "的有效数字太多（双精度最多 15 位）"
		If digits <> "" And magnitude = 308 Then
			If SiteNumberFromParts("", digits, exponent - 308) > 1.79769313486231 Then SiteRefuse caption, "超出了双精度数的范围"
		End If
	Case "decimal"
		' 小数列建成 NUMERIC(6,2)
		If digits <> "" And exponent < -2 Then SiteRefuse caption, "最多只能有 2 位小数"
		If digits <> "" And magnitude > 3 Then SiteRefuse caption, "必须在 -9999.99 到 9999.99 之间"
	Case "currency"
		' 货币列存到万分之一；整数部分最多 11 位，15 位有效数字以内 Double 不失真
		If digits <> "" And exponent < -4 Then SiteRefuse caption, "最多只能有 4 位小数"
		If digits <> "" And magnitude > 10 Then SiteRefuse caption, "超出了金额的范围"
	End Select
End Sub

' 控制字符：制表、回车、换行之外的 0-31 和 127
Function SiteHasControl(text)
	SiteHasControl = SiteMatches(text & "", "[\x00-\x08\x0B\x0C\x0E-\x1F\x7F]")
End Function

' GBK 网页里打不出来的字符（表情符号等），浏览器提交成 &#128512; 这样的字符引用；
' 128 以下的字符总能直接提交，不会写成引用
Function SiteHasForeignCharacter(text)
	Dim re, m
	SiteHasForeignCharacter = False
	Set re = New RegExp
	re.Global = True
	re.Pattern = "&#([0-9]{1,7});"
	For Each m In re.Execute(text & "")
		If CLng(m.SubMatches(0)) >= 128 Then
			SiteHasForeignCharacter = True
			Exit Function
		End If
	Next
End Function

Function SiteValue(value, kind, caption)
	Dim text, sign, digits, exponent, number
	text = Trim(value & "")
	Select Case kind
	Case "text", "longtext", "memo", "html", "htmltext", "htmllongtext"
		If SiteHasControl(text) Then SiteRefuse caption, "含有不能保存的控制字符"
		' 富文本里的字符引用照原样显示成那个字符；纯文本里它只会显示成 &#…; 本身
		If Left(kind, 4) <> "html" And SiteHasForeignCharacter(text) Then SiteRefuse caption, "含有本站网页不能显示的字符（例如表情符号），请删去后再提交"
		SiteValue = text
		If Left(kind, 4) = "html" Then SiteValue = SiteCleanHtml(text)
		' 文本列建成 VarChar(50)，长文本列 VarChar(255)：更长的值 Jet 会拒绝，截短又会丢掉内容
		If (kind = "text" Or kind = "htmltext") And Len(SiteValue) > 50 Then SiteRefuse caption, "太长，最多 50 个字"
		If (kind = "longtext" Or kind = "htmllongtext") And Len(SiteValue) > 255 Then SiteRefuse caption, "太长，最多 255 个字"
		Exit Function
	End Select
	If text = "" Then
		If kind = "bool" Then SiteValue = False Else SiteValue = Null
		Exit Function
	End If
	Select Case kind
	Case "long", "short", "byte", "auto"
		If Not SiteMatches(text, "^[-+]?[0-9]+$") Then SiteRefuse caption, "必须是整数"
		text = SiteReplaced(SiteReplaced(text, "^\+", ""), "^(-?)0+([0-9])", "$1$2")
		If Len(text) > 11 Then SiteRefuse caption, "超出了整数的范围"
		' 只有数字和负号：CDbl 在任何地区设置下都一样读
		number = CDbl(text)
		If kind = "byte" And (number < 0 Or number > 255) Then SiteRefuse caption, "必须是 0 到 255 之间的整数"
		If kind = "short" And (number < -32768 Or number > 32767) Then SiteRefuse caption, "必须是 -32768 到 32767 之间的整数"
		If number < -2147483648 Or number > 2147483647 Then SiteRefuse caption, "超出了整数的范围"
		SiteValue = CLng(number)
		If kind = "byte" Then SiteValue = CByte(number)
		If kind = "short" Then SiteValue = CInt(number)
	Case "single", "double", "decimal", "currency"
		If Not SiteIsNumber(text) Then SiteRefuse caption, "必须是数字"
		SiteSplitNumber text, sign, digits, exponent
		SiteRefuseNumber kind, caption, sign, digits, exponent
		SiteValue = SiteNumberFromParts(sign, digits, exponent)
		If kind = "single" Then SiteValue = CSng(SiteValue)
	Case "date"
		SiteValue = SiteDate(text)
		If IsNull(SiteValue) Then SiteRefuse caption, "不是有效的日期（例如 2024-01-31 或 2024-01-31 08:30）"
	Case "bool"
		Select Case LCase(text)
		Case "1", "-1", "true", "on", "yes", "是", "真", "wahr"
			SiteValue = True
		Case "0", "false", "off", "no", "否", "假", "falsch"
			SiteValue = False
		Case Else
			SiteRefuse caption, "只能是“是”或“否”"
		End Select
	Case Else
		SiteValue = text
	End Select
End Function

' 年-月-日（可带 时:分[:秒]，分隔符 - 或 /）；不是有效日期时为 Null
Function SiteDate(text)
	Dim parts, d, t, moment
	SiteDate = Null
	If Not SiteMatches(text, "^[0-9]{4}[-/][0-9]{1,2}[-/][0-9]{1,2}( [0-9]{1,2}:[0-9]{1,2}(:[0-9]{1,2})?)?$") Then Exit Function
	parts = Split(text, " ")
	d = Split(Replace(parts(0), "/", "-"), "-")
	moment = DateSerial(CLng(d(0)), CLng(d(1)), CLng(d(2)))
	If Year(moment) <> CLng(d(0)) Or Month(moment) <> CLng(d(1)) Or Day(moment) <> CLng(d(2)) Then Exit Function
	If UBound(parts) = 1 Then
		t = Split(parts(1) & ":0", ":")
		If CLng(t(0)) > 23 Or CLng(t(1)) > 59 Or CLng(t(2)) > 59 Then Exit Function
		' 1899-12-30 之前的日期存成负数，时间部分也要往负的方向加
		If moment < 0 Then
			moment = moment - TimeSerial(CLng(t(0)), CLng(t(1)), CLng(t(2)))
		Else
			moment = moment + TimeSerial(CLng(t(0)), CLng(t(1)), CLng(t(2)))
		End If
	End If
	SiteDate = moment
End Function

Function SiteTwoDigits(number)
	SiteTwoDigits = Right("0" & number, 2)
End Function

' 日期写成 yyyy-mm-dd，带时间时 yyyy-mm-dd hh:nn:ss
Function SiteDateText(moment)
	SiteDateText = Year(moment) & "-" & SiteTwoDigits(Month(moment)) & "-" & SiteTwoDigits(Day(moment))
	If Hour(moment) <> 0 Or Minute(moment) <> 0 Or Second(moment) <> 0 Then
		SiteDateText = SiteDateText & " " & SiteTwoDigits(Hour(moment)) & ":" & SiteTwoDigits(Minute(moment)) & ":" & SiteTwoDigits(Second(moment))
	End If
End Function

Function SiteFormText(value, kind)
	Dim v
	If IsObject(value) Then v = value.Value Else v = value
	SiteFormText = ""
	If IsNull(v) Or IsEmpty(v) Then Exit Function
	Select Case kind
	Case "bool"
		If CBool(v) Then SiteFormText = "是" Else SiteFormText = "否"
	Case "date"
		' 只有日期值才按日期写（vbDate）；别的照原样
		If VarType(v) = 7 Then SiteFormText = SiteDateText(v) Else SiteFormText = v & ""
	Case "single", "double", "decimal", "currency", "long", "short", "byte", "auto"
		SiteFormText = CStr(v)
		If SiteDecimalSeparator() <> "." Then SiteFormText = Replace(SiteFormText, SiteDecimalSeparator(), ".")
	Case Else
		SiteFormText = v & ""
	End Select
End Function

Function SiteFormValue(value, kind)
	SiteFormValue = Server.HTMLEncode(SiteFormText(value, kind))
End Function

' 登录页只比较密码的前 50 个字：更长的密码存进去就再也登录不了
Function SitePassword(value, caption)
	If Len(value & "") > 50 Then SiteRefuse caption, "太长，最多 50 个字"
	SitePassword = value & ""
End Function

' 查询条件里的数字：合列的类型和范围时为放进查询语句的写法（照写的样子，去掉开头的 +；
' 小数点总是 .），否则为空。整数列也可以和小数比较（数量大于等于-2.5）
Function SiteSearchNumber(text, kind)
	Dim sign, digits, exponent, magnitude, number
	SiteSearchNumber = ""
	text = Trim(text & "")
	If Not SiteIsNumber(text) Then Exit Function
	SiteSplitNumber text, sign, digits, exponent
	magnitude = exponent + Len(digits) - 1
	If digits <> "" Then
		Select Case kind
		Case "byte", "short", "long", "auto", "decimal", "currency"
			If magnitude > 10 Then Exit Function
		Case "single"
			If magnitude > 37 Or magnitude < -37 Or Len(digits) > 9 Then Exit Function
		Case Else
			If magnitude > 307 Or magnitude < -307 Or Len(digits) > 17 Then Exit Function
		End Select
		number = SiteNumberFromParts(sign, digits, exponent)
		Select Case kind
		Case "byte"
			If number < 0 Or number > 255 Then Exit Function
		Case "short"
			If number < -32768 Or number > 32767 Then Exit Function
		Case "long", "auto"
			If number < -2147483648 Or number > 2147483647 Then Exit Function
		Case "decimal"
			If number < -9999.99 Or number > 9999.99 Then Exit Function
		Case "currency"
			If number < -99999999999.9999 Or number > 99999999999.9999 Then Exit Function
		End Select
	End If
	SiteSearchNumber = SiteReplaced(text, "^\+", "")
End Function

' 近似查询的值：Jet 的 LIKE 里 % _ [ 是通配符，放进方括号就按字面匹配
Function SiteLikeText(text)
	SiteLikeText = Replace(Replace(Replace(Replace(text & "", "[", "[[]"), "%", "[%]"), "_", "[_]"), "'", "''")
End Function
%>
