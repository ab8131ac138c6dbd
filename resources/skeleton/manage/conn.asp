<!--#include file="../inc/guard.asp"-->
<%
'==========================================================================
' manage/conn.asp —— manage 目录下各页面的数据库连接与公共过程
'
' 生成的添加、修改、删除、列表、显示页都在第一行包含本文件，随后直接使用：
'   conn         已打开的 ADODB.Connection，指向 ../data/data.mdb
'   GetDate(v)   日期 -> "yyyy-mm-dd"；不是日期时返回 "时间参数错误--GetDate--[v]"
'   goUrl(url)   用脚本跳转到 url，并结束输出
'   Myisnumeric(v)  空值为 False，否则同 IsNumeric
'   SendMsg(msg) 弹出提示框（不结束输出）
'   goback()     返回上一页（history.go(-1)），并结束输出
'
' 站点根目录的 conn.asp 与本文件只差数据库路径（data/data.mdb），两边改动要一致。
'
' 本文件不写 @ 指令行（LANGUAGE、CODEPAGE）：包含它的页面可以有自己的指令行，重复出现会报错。
' 页面按 GBK（代码页 936）保存和输出。
'
' 本目录的每一页都要登录：包含本文件就检查会话（inc/guard.asp），没有登录的请求什么也得不到。
'
' inc/MyFunction.asp 也提供 SendMsg、goback、goUrl、GetDate、Myisnumeric，
' 但只在页面里还没有同名过程时才补上，因此两个文件可以同时包含，先后不限。
'==========================================================================

On Error Resume Next
Session.CodePage = 936
Response.CodePage = 936
On Error GoTo 0
Response.Charset = "gb2312"
SiteRequireLogin "../index.asp"

Dim conn
Set conn = Server.CreateObject("ADODB.Connection")
On Error Resume Next
conn.Open "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" & Server.MapPath("../data/data.mdb")
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
