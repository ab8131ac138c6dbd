<%
Class Greeter
  Public Default Function Greet(name)
    Greet = "hi " & name
  End Function
End Class
Dim g : Set g = New Greeter
Response.Write g("Ann")
%>
