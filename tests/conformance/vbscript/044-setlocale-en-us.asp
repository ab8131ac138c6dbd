<%
Dim old : old = SetLocale(1033)
Response.Write old & "|" & CStr(#2024-03-05#)
Response.Write "|" & SetLocale(2052)
%>
