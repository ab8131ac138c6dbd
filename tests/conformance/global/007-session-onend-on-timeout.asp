<%
If Application("ended") > Application("endedBefore") Then
  Response.Write "yes"
Else
  Response.Write "no:" & Application("ended") & "/" & Application("endedBefore")
End If
%>
