<%
Dim e
Response.Write -CInt(IsNumeric("12.5")) & "|" & -CInt(IsNumeric("abc")) & "|" & -CInt(IsEmpty(e)) & "|" & -CInt(IsNull(Null))
%>
