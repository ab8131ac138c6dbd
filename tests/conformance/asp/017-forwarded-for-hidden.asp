<%
Dim all : all = Request.ServerVariables("ALL_HTTP")
Response.Write "[" & Request.ServerVariables("HTTP_X_FORWARDED_FOR") & "]|["
If InStr(all, "FORWARDED") > 0 Then Response.Write "leaked" 
Response.Write "]"
%>
