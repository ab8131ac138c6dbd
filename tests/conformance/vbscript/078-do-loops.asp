<%
Dim i : i = 0
Do While i < 5 : i = i + 1 : Loop
Response.Write i & "|"
i = 0
Do : i = i + 1 : Loop Until i >= 3
Response.Write i & "|"
i = 0
Do
  i = i + 1
  If i = 2 Then Exit Do
Loop
Response.Write i
%>
