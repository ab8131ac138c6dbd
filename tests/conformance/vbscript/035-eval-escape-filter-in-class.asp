<%
Class T
  Function F()
    F = Eval("1+2") & "|" & Escape("a b") & "|" & UBound(Filter(Array("ab", "c", "xa"), "a"))
  End Function
End Class
Dim obj : Set obj = New T
Response.Write obj.F()
%>
