<%
' How many fields a form brought, and two of them by name (any case).
Response.Write "count=" & Request.Form.Count & ";first=" & Request.Form("F0") & ";last=" & Request.Form("f9999") & ";"
%>
