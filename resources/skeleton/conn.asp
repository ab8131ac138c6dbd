<%
'==========================================================================
' conn.asp —— 站点根目录页面（登录页 index.asp 等）的数据库连接与公共过程
'
' 提供与 manage/conn.asp 完全相同的内容，只是数据库路径为 data/data.mdb：
'   conn         已打开的 ADODB.Connection
'   GetDate(v)   日期 -> "yyyy-mm-dd"；不是日期时返回 "时间参数错误--GetDate--[v]"
'   goUrl(url)   用脚本跳转到 url，并结束输出
'   Myisnumeric(v)  空值为 False，否则同 IsNumeric
'   SendMsg(msg) 弹出提示框（不结束输出）
'   goback()     返回上一页（history.go(-1)），并结束输出
'
' 两个 conn.asp 的改动要保持一致。
' 本文件不写 @ 指令行（LANGUAGE、CODEPAGE）：包含它的页面可以有自己的指令行，重复出现会报错。
' inc/MyFunction.asp 只在页面还没有这些过程时才补上同名过程，可与本文件同时包含。
'==========================================================================

On Error Resume Next
Session.CodePage = 936
Response.CodePage = 936
On Error GoTo 0
Response.Charset = "gb2312"

Dim conn
Set conn = Server.CreateObject("ADODB.Connection")
On Error Resume Next
conn.Open "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" & Server.MapPath("data/data.mdb")
If Err.Number <> 0 Then
	Err.Clear
	On Error GoTo 0
	Response.Write "<div style=""font-size:12px;color:#C00;padding:8px"">数据库连接失败：请确认站点的 data/data.mdb 已经生成并且可以读写。</div>"
	Response.End
End If
On Error GoTo 0

' 日期格式化为 yyyy-mm-dd
Function GetDate(value)
	Dim d
	If IsDate(value) Then
		d = CDate(value)
		GetDate = Year(d) & "-" & Right("0" & Month(d), 2) & "-" & Right("0" & Day(d), 2)
	Else
		GetDate = "时间参数错误--GetDate--[" & value & "]"
	End If
End Function

' 脚本跳转，随后结束本页输出
Sub goUrl(url)
	Response.Write "<script type=""text/javascript"">location.href='" & ConnJsText(url) & "';</script>" & vbCrLf
	Response.End
End Sub

' 空值（空串、Null、未赋值）不算数字
Function Myisnumeric(value)
	If IsNull(value) Then
		Myisnumeric = False
	ElseIf CStr(value & "") = "" Then
		Myisnumeric = False
	Else
		Myisnumeric = IsNumeric(value)
	End If
End Function

' 弹出提示框；页面继续执行
Sub SendMsg(msg)
	Response.Write "<script type=""text/javascript"">alert('" & ConnJsText(msg) & "');</script>" & vbCrLf
End Sub

' 返回上一页，随后结束本页输出
Sub goback()
	Response.Write "<script type=""text/javascript"">history.go(-1);</script>" & vbCrLf
	Response.End
End Sub

' 把文本写成 JavaScript 单引号字符串的内容
Function ConnJsText(value)
	Dim s
	s = value & ""
	s = Replace(s, "\", "\\")
	s = Replace(s, "'", "\'")
	s = Replace(s, """", "\""")
	s = Replace(s, vbCr, "\r")
	s = Replace(s, vbLf, "\n")
	s = Replace(s, "</", "<\/")
	ConnJsText = s
End Function
%>
