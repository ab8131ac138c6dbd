<%
Class T
  Function R() : R = Round(2.5) & "|" & Round(3.5) & "|" & Round(1.2345, 2) : End Function
End Class
Dim obj : Set obj = New T
Response.Write obj.R()
%>
