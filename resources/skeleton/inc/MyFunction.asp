<%
'==========================================================================
' inc/MyFunction.asp —— 页面共用的 VBScript 过程
'
' 带联动下拉框的页面在包含 conn.asp 之后再包含本文件，并调用一次 SetAjax()。
'
'   SetAjax()          输出浏览器端脚本：GetId、CreateXMLHttpRequest、PutData、GetData
'   WriteSelect(name, sql, selected)
'                      输出一个下拉框：sql 的第一列作选项值，第二列（没有时用第一列）作文字
'   pageList(pageCount, nowPage, recordCount, query)
'                      输出分页条（首页、上一页、下一页、尾页、跳转）
'   HTMLEncode(s)      HTML 转义，Null 当空串
'   SendMsg、goback、goUrl、GetDate、Myisnumeric —— 与 conn.asp 里的同名过程相同
'
' 与 conn.asp 不冲突的办法：
'   VBScript 不允许同一页面里出现两个同名的 Sub/Function，而 conn.asp 已经定义了
'   SendMsg、goback、goUrl、GetDate、Myisnumeric。所以本文件并不直接定义这五个名字，
'   只定义实现它们的 MfSendMsg、MfGoBack、MfGoUrl、MfGetDate、MfIsNumeric；
'   文件末尾逐个用 GetRef 检查页面里是否已有同名过程，没有时才用 ExecuteGlobal
'   补上一个转调 Mf* 的同名过程。
'   · 页面已包含 conn.asp（无论在本文件之前还是之后）：VBScript 在执行前就登记了
'     conn.asp 的过程，检查结果为"已有"，本文件什么也不补；
'   · 页面没有包含 conn.asp：本文件补上这五个过程，页面照样可以调用。
'   本文件其余的名字都带 Mf 前缀或是 conn.asp 里没有的名字，不会撞名。
'==========================================================================

' 浏览器端的数据请求脚本。GetData(控件id, 值, 地址) 请求 地址 & "&ajaxdata=" & 值，
' 把返回的 HTML 放进该 id 的元素（通常是一个 span）。
Sub SetAjax()
	Response.Write "<script type=""text/javascript"">" & vbCrLf
	Response.Write "function GetId(id){return document.getElementById(id);}" & vbCrLf
	Response.Write "function CreateXMLHttpRequest(){" & vbCrLf
	Response.Write "  if(window.XMLHttpRequest){return new XMLHttpRequest();}" & vbCrLf
	Response.Write "  try{return new ActiveXObject(""Msxml2.XMLHTTP"");}catch(e){}" & vbCrLf
	Response.Write "  try{return new ActiveXObject(""Microsoft.XMLHTTP"");}catch(e){}" & vbCrLf
	Response.Write "  return null;" & vbCrLf
	Response.Write "}" & vbCrLf
	Response.Write "function PutData(id,html){var el=GetId(id);if(el){el.innerHTML=html;}}" & vbCrLf
	' 值里的 % & # + = ? 空格 会破坏查询串，先转成 %xx；汉字留给浏览器按页面编码处理。
	' condition 开头的 "%"（按数字比较的标记）写成 %25，免得和后面的字母凑成转义序列。
	Response.Write "function GetData(id,value,url){" & vbCrLf
	Response.Write "  var xhr=CreateXMLHttpRequest();if(!xhr){return;}" & vbCrLf
	Response.Write "  var v=String(value==null?"""":value).replace(/[%&#+=? ]/g,function(c){return ""%""+c.charCodeAt(0).toString(16).toUpperCase();});" & vbCrLf
	Response.Write "  url=String(url).replace(/([?&]condition=)%/i,""$1%25"");" & vbCrLf
	Response.Write "  xhr.open(""GET"",url+""&ajaxdata=""+v+""&rnd=""+new Date().getTime(),true);" & vbCrLf
	Response.Write "  xhr.onreadystatechange=function(){if(xhr.readyState==4&&xhr.status==200){PutData(id,xhr.responseText);}};" & vbCrLf
	Response.Write "  xhr.send(null);" & vbCrLf
	Response.Write "}" & vbCrLf
	Response.Write "</script>" & vbCrLf
End Sub

' 下拉框：sql 的第一列是选项值，第二列是文字；selected 与选项值相同的一项被选中
Sub WriteSelect(selectName, sqlText, selectedValue)
	Dim rsSelect, optionValue, optionText, mark
	Set rsSelect = Server.CreateObject("ADODB.Recordset")
	rsSelect.Open sqlText, conn, 1, 1
	Response.Write "<select name=""" & HTMLEncode(selectName) & """ id=""" & HTMLEncode(selectName) & """>" & vbCrLf
	If rsSelect.EOF Then
		Response.Write "<option value=""0"">没有数据</option>" & vbCrLf
	End If
	Do While Not rsSelect.EOF
		optionValue = rsSelect(0).Value & ""
		If rsSelect.Fields.Count > 1 Then
			optionText = rsSelect(1).Value & ""
		Else
			optionText = optionValue
		End If
		mark = ""
		If CStr(selectedValue & "") = optionValue Then mark = " selected"
		Response.Write "<option value=""" & HTMLEncode(optionValue) & """" & mark & ">" & HTMLEncode(optionText) & "</option>" & vbCrLf
		rsSelect.MoveNext
	Loop
	Response.Write "</select>" & vbCrLf
	rsSelect.Close
	Set rsSelect = Nothing
End Sub

' 分页条。query 是要带到每个链接上的其余参数（如 "action=search&SearchText=..."，可为空）
Sub pageList(pageCount, nowPage, recordCount, query)
	Dim total, current, base, i
	total = 1
	If MfIsNumeric(pageCount) Then total = CLng(pageCount)
	If total < 1 Then total = 1
	current = 1
	If MfIsNumeric(nowPage) Then current = CLng(nowPage)
	If current < 1 Then current = 1
	If current > total Then current = total
	base = "?"
	If query & "" <> "" Then base = "?" & query & "&"
	Response.Write "<div class=""pagebar"">共 " & recordCount & " 条记录，第 " & current & "/" & total & " 页&nbsp;&nbsp;"
	If current > 1 Then
		Response.Write "<a href=""" & base & "page=1"">首页</a> <a href=""" & base & "page=" & (current - 1) & """>上一页</a> "
	Else
		Response.Write "<span class=""disabled"">首页</span> <span class=""disabled"">上一页</span> "
	End If
	If current < total Then
		Response.Write "<a href=""" & base & "page=" & (current + 1) & """>下一页</a> <a href=""" & base & "page=" & total & """>尾页</a>"
	Else
		Response.Write "<span class=""disabled"">下一页</span> <span class=""disabled"">尾页</span>"
	End If
	Response.Write "&nbsp;&nbsp;转到 <select onchange=""location.href='" & base & "page='+this.value"">"
	For i = 1 To total
		If i = current Then
			Response.Write "<option value=""" & i & """ selected>" & i & "</option>"
		Else
			Response.Write "<option value=""" & i & """>" & i & "</option>"
		End If
	Next
	Response.Write "</select> 页</div>" & vbCrLf
End Sub

' HTML 转义；Null 和未赋值当空串
Function HTMLEncode(value)
	If IsNull(value) Or IsEmpty(value) Then
		HTMLEncode = ""
	Else
		HTMLEncode = Server.HTMLEncode(CStr(value))
	End If
End Function

' ---- 与 conn.asp 同名过程的实现（名字见文件开头的说明） ----

Sub MfSendMsg(msg)
	Response.Write "<script type=""text/javascript"">alert('" & MfJsText(msg) & "');</script>" & vbCrLf
End Sub

Sub MfGoBack()
	Response.Write "<script type=""text/javascript"">history.go(-1);</script>" & vbCrLf
	Response.End
End Sub

Sub MfGoUrl(url)
	Response.Write "<script type=""text/javascript"">location.href='" & MfJsText(url) & "';</script>" & vbCrLf
	Response.End
End Sub

Function MfGetDate(value)
	Dim d
	If IsDate(value) Then
		d = CDate(value)
		MfGetDate = Year(d) & "-" & Right("0" & Month(d), 2) & "-" & Right("0" & Day(d), 2)
	Else
		MfGetDate = "时间参数错误--GetDate--[" & value & "]"
	End If
End Function

Function MfIsNumeric(value)
	If IsNull(value) Then
		MfIsNumeric = False
	ElseIf CStr(value & "") = "" Then
		MfIsNumeric = False
	Else
		MfIsNumeric = IsNumeric(value)
	End If
End Function

Function MfJsText(value)
	Dim s
	s = value & ""
	s = Replace(s, "\", "\\")
	s = Replace(s, "'", "\'")
	s = Replace(s, """", "\""")
	s = Replace(s, vbCr, "\r")
	s = Replace(s, vbLf, "\n")
	s = Replace(s, "</", "<\/")
	MfJsText = s
End Function

' 页面里已有名为 procName 的 Sub/Function 时为 True
Function MfHasProc(procName)
	Dim probe
	On Error Resume Next
	Set probe = GetRef(procName)
	MfHasProc = (Err.Number = 0)
	Err.Clear
End Function

' 页面里没有 procName 时，用 ExecuteGlobal 定义它
Sub MfDefineIfMissing(procName, code)
	If Not MfHasProc(procName) Then ExecuteGlobal code
End Sub

MfDefineIfMissing "SendMsg", "Sub SendMsg(msg)" & vbCrLf & "MfSendMsg msg" & vbCrLf & "End Sub"
MfDefineIfMissing "goback", "Sub goback()" & vbCrLf & "MfGoBack" & vbCrLf & "End Sub"
MfDefineIfMissing "goUrl", "Sub goUrl(url)" & vbCrLf & "MfGoUrl url" & vbCrLf & "End Sub"
MfDefineIfMissing "GetDate", "Function GetDate(value)" & vbCrLf & "GetDate = MfGetDate(value)" & vbCrLf & "End Function"
MfDefineIfMissing "Myisnumeric", "Function Myisnumeric(value)" & vbCrLf & "Myisnumeric = MfIsNumeric(value)" & vbCrLf & "End Function"
%>
