<%
Select Case Request.QueryString("case")
Case "redirect"
	Response.Write "lost"
	Response.Redirect "target.asp?x=1"
	Response.Write "after"
Case "end"
	Response.Write "before"
	Response.End
	Response.Write "after"
Case "endquiet"
	On Error Resume Next
	Response.Write "before"
	Response.End
	Response.Write "after"
Case "headers"
	Response.ContentType = "text/plain"
	Response.Charset = "gb2312"
	Response.AddHeader "X-Test", "yes"
	Response.Status = "404 Not Here"
	Response.Write "body"
Case "cookies"
	Response.Cookies("user") = "张三"
	Response.Cookies("user").Expires = DateSerial(2030, 1, 2)
	Response.Cookies("user").Path = "/sub"
	Response.Cookies("plain") = "a b"
	Response.Cookies("kovel_username") = "x_y"
	Response.Write "set"
Case "clear"
	Response.Buffer = True
	Response.Write "dropped"
	Response.Clear
	Response.Write "kept"
	Response.Flush
Case "binary"
	Dim doc, node
	Set doc = Server.CreateObject("MSXML2.DOMDocument")
	Set node = doc.createElement("b")
	node.dataType = "bin.hex"
	node.Text = "00FF41"
	Response.ContentType = "application/octet-stream"
	Response.BinaryWrite node.nodeTypedValue
Case "utf8"
	Response.CodePage = 65001
	Response.Charset = "utf-8"
	Response.Write "中文"
End Select
%>
