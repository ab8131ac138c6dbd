<%
Class Life
  Private Sub Class_Initialize()
    Response.Write "init|"
  End Sub
  Private Sub Class_Terminate()
    Response.Write "term|"
  End Sub
End Class
Dim l : Set l = New Life
Set l = Nothing
Response.Write "after"
%>
