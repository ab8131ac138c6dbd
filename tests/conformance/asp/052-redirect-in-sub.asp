<%
Sub Go()
  Response.Redirect "elsewhere.asp"
  Response.Write "never"
End Sub
Go
Response.Write "never either"
%>
