<%
On Error Resume Next
Dim i
For i = 1 To 3
  Response.Write i
  Response.End
Next
%>
