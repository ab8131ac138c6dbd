<%
Sub Bad()
  Response.Write 1 / 0
End Sub
Bad
%>
