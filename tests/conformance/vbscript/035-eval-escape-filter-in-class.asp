<%
Class T
  Function F()
    F = Eval("1+2") & "|" & Escape("a b") & "|" & UBound(Filter(Array("ab", "c", "xa"), "a"))
  End Function
End Class
Dim t : Set t = New T
Response.Write t.F()
%>
