<%
SetLocale 1031
Response.Write CStr(1.5) & "|" & CStr(#2024-03-05#) & "|" & CDbl("2,5")
%>
