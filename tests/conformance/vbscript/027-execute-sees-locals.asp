<%
Function Calc()
  Dim x
  x = 5
  Execute "x = x + 1"
  Calc = x & "|" & Eval("x * 2")
End Function
Response.Write Calc()
%>
