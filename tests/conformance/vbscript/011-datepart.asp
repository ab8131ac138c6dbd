<%
Dim d : d = #2024-03-05 14:05:09#
Response.Write DatePart("yyyy", d) & "|" & DatePart("q", d) & "|" & DatePart("m", d) & "|" & DatePart("w", d) & "|" & _
  DatePart("d", d) & "|" & DatePart("y", d) & "|" & DatePart("ww", d) & "|" & DatePart("h", d) & "|" & DatePart("n", d) & "|" & DatePart("s", d)
%>
