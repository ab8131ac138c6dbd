<%
Sub Halt()
  Response.End
End Sub
On Error Resume Next
Response.Write "before"
Halt
Response.Write "after"
%>
