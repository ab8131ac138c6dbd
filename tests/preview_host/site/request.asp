<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<%
Dim key, v
Response.Write "q.name=" & Request.QueryString("name") & ";"
Response.Write "q.tag.count=" & Request.QueryString("tag").Count & ";"
Response.Write "q.tag=" & Request.QueryString("tag") & ";"
Response.Write "q.tag(2)=" & Request.QueryString("tag")(2) & ";"
Response.Write "q.count=" & Request.QueryString.Count & ";"
Response.Write "q.keys="
For Each key In Request.QueryString
	Response.Write key & ","
Next
Response.Write ";"
Response.Write "f.city=" & Request.Form("city") & ";"
Response.Write "f.count=" & Request.Form.Count & ";"
Response.Write "c.theme=" & Request.Cookies("theme") & ";"
Response.Write "default.name=" & Request("name") & ";"
Response.Write "default.city=" & Request("city") & ";"
Response.Write "default.theme=" & Request("theme") & ";"
Response.Write "missing.empty=" & IsEmpty(Request("nothing")) & ";"
Response.Write "missing.count=" & Request.QueryString("nothing").Count & ";"
Response.Write "missing.q.empty=" & IsEmpty(Request.QueryString("nothing")) & ";"
Response.Write "missing.q.blank=" & (Request.Form("nothing") = "") & ";"
Response.Write "missing.blank=" & (Request("nothing") = "") & ";"
Response.Write "trim=" & Trim(Request("pad")) & ";"
Response.Write "numeric=" & IsNumeric(Request("n")) & ";"
Response.Write "cint=" & (CInt(Request("n")) + 1) & ";"
For Each v In Array("REQUEST_METHOD", "QUERY_STRING", "SCRIPT_NAME", "PATH_INFO", "URL", "HTTP_HOST", "REMOTE_ADDR", _
		"HTTP_REFERER", "SERVER_NAME", "SERVER_PORT", "HTTP_USER_AGENT", "CONTENT_LENGTH", "CONTENT_TYPE", "HTTP_COOKIE", "SERVER_SOFTWARE")
	Response.Write "sv." & v & "=" & Request.ServerVariables(v) & ";"
Next
%>
