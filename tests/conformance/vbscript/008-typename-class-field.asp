<%
Class Box
  Public Size, Label, Other
  Private Sub Class_Initialize()
    Size = 3 : Label = "x"
  End Sub
End Class
Dim b : Set b = New Box
Response.Write TypeName(b.Size) & "|" & TypeName(b.Label) & "|" & TypeName(b.Other)
%>
