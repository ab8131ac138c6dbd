<%
Dim i : i = 0
While i < 3
  i = i + 1
Wend
Response.Write i
%>
