<%
Dim d : d = #2024-03-05 14:05:09#
Response.Write FormatDateTime(d, 1) & "|" & FormatDateTime(d, 2) & "|" & FormatDateTime(d, 3) & "|" & FormatDateTime(d, 4)
%>
