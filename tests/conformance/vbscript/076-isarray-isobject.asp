<%
Dim o : Set o = Nothing
Response.Write -CInt(IsArray(Array())) & "|" & -CInt(IsObject(o)) & "|" & -CInt(IsObject(1))
%>
