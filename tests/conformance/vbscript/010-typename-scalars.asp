<%
Dim e
Response.Write TypeName(e) & "|" & TypeName(Null) & "|" & TypeName(1) & "|" & TypeName(100000) & "|" & _
  TypeName(1.5) & "|" & TypeName("") & "|" & TypeName(True) & "|" & TypeName(#2024-03-05#) & "|" & TypeName(Array(1))
%>
