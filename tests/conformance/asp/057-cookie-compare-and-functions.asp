<%
If Request.Cookies("x") = "" Then Response.Write "empty|" Else Response.Write "set|"
If Request.Cookies("none") = "" Then Response.Write "empty|" Else Response.Write "set|"
Response.Write Len(Request.Cookies("x")) & "|" & UCase(Request.Cookies("x")) & "|" & (CInt(Request.Cookies("n")) + 1) & "|"
Dim k, s
For Each k In Request.Cookies
  If k = "x" Then s = s & Request.Cookies(k) & "-"
Next
Response.Write s
%>
