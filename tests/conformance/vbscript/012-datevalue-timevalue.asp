<%
Response.Write DateValue("2024-03-05 14:05:09") & "|" & TimeValue("2024-03-05 14:05:09") & "|" & VarType(DateValue("2024-3-5"))
%>
