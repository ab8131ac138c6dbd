<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="conn.asp"-->
<%
'==========================================================================
' manage/GetClass.asp —— 联动下拉框的数据服务
'
' 页面上的联动下拉框（或文本框）用 inc/MyFunction.asp 写出的 GetData() 请求本页：
'   Getclass.asp?table=表&Stype=表&filed=列&condition=列&order=n&next=m&ajaxdata=值
' 请求参数：
'   ajaxdata   选中的值
'   stype      要列出记录的表
'   filed      要列出的列（选项文字）；选项的值总是该表的 id
'   condition  比较的列；开头的 "%" 表示按数字比较（去掉 "%" 后才是列名）
'   order      发出请求的控件序号（S_order）
'   next       要填充的控件序号：答复是 <select name="S_next" id="S_next">
'   table      发出请求的页面所属的表（用于下面的多级联动表）
' 答复：
'   select id,<filed> from <stype> where <condition>=<值> order by id asc
'   的每条记录一个 <option value="id">列值</option>。
'   文字比较时值放在单引号里（值里的单引号写两次）；数字比较时值必须是数字，
'   否则答复一个空的 select。表名、列名只允许字母、数字、下划线和汉字，
'   不合要求时同样答复空的 select，不会拼进 SQL。
'   只答复本会话打开过的页面登记过的（表、列、条件列）组合（SiteAllowCascade，
'   生成的添加页在输出联动下拉框时登记），以及下面多级联动表里的组合：
'   不能用它读任意表的任意列。没有登录的请求由 conn.asp 挡住。
'
' 站点根目录的 Getclass.asp 原样转到本页，所以 manage 里的页面写
' "Getclass.asp?..." 和 "../Getclass.asp?..." 都能用（IIS 的文件名不分大小写）。
'
' 多级联动表：下面 '/Start 与 '/End 两行之间每行一条，格式为
'     表|S_a|S_b|stype|filed|condition
' 意思是：页面属于"表"（请求参数 table），本页这次填充的控件正是 S_a 时，
' 给返回的 select 加上 onchange（用鼠标或键盘选都算），让它选中后再用 stype、filed、condition
' 去填充 S_b（第三级、第四级……依此类推，每一级写一行）。
' 例：学生|S_2|S_3|班级|班级名称|%年级编号
' 这些行放在一段永不执行的 If False 里，不会输出；本页运行时读取自己的文件找到它们。
'==========================================================================

Response.Expires = -1
Response.AddHeader "Cache-Control", "no-cache"
Response.AddHeader "Pragma", "no-cache"

Dim gcValue, gcType, gcField, gcCondition, gcNumeric, gcOrder, gcNext, gcTable
gcValue = Trim(Request("ajaxdata") & "")
gcType = Trim(Request("stype") & "")
gcField = Trim(Request("filed") & "")
gcCondition = Trim(Request("condition") & "")
gcOrder = Trim(Request("order") & "")
gcNext = Trim(Request("next") & "")
gcTable = Trim(Request("table") & "")

gcNumeric = False
Do While Left(gcCondition, 1) = "%"
	gcNumeric = True
	gcCondition = Mid(gcCondition, 2)
Loop

Response.Write GcAnswer()
Response.End

' 整个答复：select 开始标签、选项、结束标签
Function GcAnswer()
	Dim head, sql, rsClass, options, text
	If Not GcIsDigits(gcNext) Then
		GcAnswer = "<select></select><!-- next 参数不正确 -->"
		Exit Function
	End If
	head = "<select name=""S_" & gcNext & """ id=""S_" & gcNext & """" & GcChainClick() & ">"
	If Not (GcSafeName(gcType) And GcSafeName(gcField) And GcSafeName(gcCondition)) Then
		GcAnswer = head & "</select><!-- 表名或列名不合要求 -->"
		Exit Function
	End If
	If Not (SiteCascadeAllowed(gcType, gcField, gcCondition) Or GcChainAllows()) Then
		GcAnswer = head & "</select><!-- 这个联动查询不在本站页面用到的范围内 -->"
		Exit Function
	End If
	If gcValue = "" Then
		GcAnswer = head & "</select>"
		Exit Function
	End If
	If gcNumeric Then
		If Not GcIsNumber(gcValue) Then
			GcAnswer = head & "</select>"
			Exit Function
		End If
		sql = "select id,[" & gcField & "] from [" & gcType & "] where [" & gcCondition & "]=" & gcValue & " order by id asc"
	Else
		sql = "select id,[" & gcField & "] from [" & gcType & "] where [" & gcCondition & "]='" & Replace(gcValue, "'", "''") & "' order by id asc"
	End If

	Set rsClass = Server.CreateObject("ADODB.Recordset")
	On Error Resume Next
	rsClass.Open sql, conn, 1, 1
	If Err.Number <> 0 Then
		Err.Clear
		On Error GoTo 0
		GcAnswer = head & "</select><!-- 查询失败，请检查表名和列名 -->"
		Exit Function
	End If
	On Error GoTo 0

	options = ""
	If rsClass.EOF Then
		options = "<option value=""0"">没有数据</option>"
	End If
	Do While Not rsClass.EOF
		text = rsClass(1).Value
		If IsNull(text) Then text = ""
		options = options & "<option value=""" & Server.HTMLEncode(rsClass(0).Value & "") & """>" & Server.HTMLEncode(text & "") & "</option>" & vbCrLf
		rsClass.MoveNext
	Loop
	rsClass.Close
	Set rsClass = Nothing
	GcAnswer = head & vbCrLf & options & "</select>"
End Function

' 多级联动表里与本次请求相配的一行，变成返回的 select 的 onchange 属性
Function GcChainClick()
	Dim lines, i, parts, target
	GcChainClick = ""
	If gcTable = "" Then Exit Function
	lines = Split(GcChainText(), vbLf)
	For i = 0 To UBound(lines)
		parts = Split(Trim(Replace(lines(i), vbCr, "")), "|")
		If UBound(parts) = 5 Then
			If LCase(Trim(parts(0))) = LCase(gcTable) And LCase(Trim(parts(1))) = "s_" & gcNext Then
				target = Trim(parts(2))
				If LCase(Left(target, 2)) = "s_" And GcIsDigits(Mid(target, 3)) _
					And GcSafeName(Trim(parts(0))) And GcSafeName(Trim(parts(3))) And GcSafeName(Trim(parts(4))) _
					And GcSafeName(Replace(Trim(parts(5)), "%", "")) Then
					GcChainClick = " onchange=""GetData('S_" & Mid(target, 3) & "',this.options[selectedIndex].value,'Getclass.asp?table=" _
						& Trim(parts(0)) & "&Stype=" & Trim(parts(3)) & "&filed=" & Trim(parts(4)) _
						& "&condition=" & Trim(parts(5)) & "&order=" & gcNext & "&next=" & Mid(target, 3) & "');"""
					Exit Function
				End If
			End If
		End If
	Next
End Function

' 多级联动表里有一行的 stype、filed、condition 与这次请求相同
Function GcChainAllows()
	Dim lines, i, parts
	GcChainAllows = False
	lines = Split(GcChainText(), vbLf)
	For i = 0 To UBound(lines)
		parts = Split(Trim(Replace(lines(i), vbCr, "")), "|")
		If UBound(parts) = 5 Then
			If LCase(Trim(parts(3))) = LCase(gcType) And LCase(Trim(parts(4))) = LCase(gcField) _
				And LCase(Replace(Trim(parts(5)), "%", "")) = LCase(gcCondition) Then
				GcChainAllows = True
				Exit Function
			End If
		End If
	Next
End Function

' 本文件里 '/Start 与 '/End 之间的文字
Function GcChainText()
	Dim stream, source, p1, p2
	GcChainText = ""
	On Error Resume Next
	Set stream = Server.CreateObject("ADODB.Stream")
	stream.Type = 2
	stream.Charset = "gb2312"
	stream.Open
	stream.LoadFromFile Server.MapPath(Request.ServerVariables("SCRIPT_NAME"))
	source = stream.ReadText
	stream.Close
	Set stream = Nothing
	If Err.Number <> 0 Then
		Err.Clear
		Exit Function
	End If
	On Error GoTo 0
	p1 = InStr(source, vbLf & "'/Start")
	If p1 = 0 Then Exit Function
	p1 = InStr(p1 + 1, source, vbLf)
	If p1 = 0 Then Exit Function
	p2 = InStr(p1, source, vbLf & "'/End")
	If p2 = 0 Then Exit Function
	GcChainText = Mid(source, p1 + 1, p2 - p1)
End Function

' 只含字母、数字、下划线和汉字，长度 1～64
Function GcSafeName(name)
	Dim i, c
	GcSafeName = False
	If Len(name) < 1 Or Len(name) > 64 Then Exit Function
	For i = 1 To Len(name)
		c = AscW(Mid(name, i, 1))
		If c < 0 Then c = c + 65536
		If Not ((c >= 48 And c <= 57) Or (c >= 65 And c <= 90) Or (c >= 97 And c <= 122) Or c = 95 _
			Or (c >= 13312 And c <= 19903) Or (c >= 19968 And c <= 40959)) Then Exit Function
	Next
	GcSafeName = True
End Function

' 整数或小数，可带负号（不接受 IsNumeric 认可的 &H10、1e3 之类写法）
Function GcIsNumber(value)
	Dim re
	Set re = New RegExp
	re.Pattern = "^-?[0-9]+(\.[0-9]+)?$"
	GcIsNumber = re.Test(value)
End Function

Function GcIsDigits(value)
	Dim re
	Set re = New RegExp
	re.Pattern = "^[0-9]+$"
	GcIsDigits = re.Test(value)
End Function

If False Then
%>
'/Start
'/End
<%
End If
%>
