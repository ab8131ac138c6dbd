<%
Class Counter
  Public Value
  Public Function Add(n)
    Me.Value = Me.Value + n
    Set Add = Me
  End Function
End Class
Dim c : Set c = New Counter
c.Value = 0
c.Add(3).Add 4
Response.Write c.Value
%>
