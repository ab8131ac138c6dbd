<%
Function Make()
  Dim d, n
  Execute "Set d = CreateObject(""Scripting.Dictionary"") : d.Add ""k"", ""v"" : n = 3"
  Make = d("k") & "|" & n
End Function
Response.Write Make()
%>
