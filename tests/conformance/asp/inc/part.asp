<%
Function Part()
  Part = "included:1"
End Function
%>
