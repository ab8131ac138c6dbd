<% Dim d : d = #2024-03-05 14:05:09# : Response.Write Year(d) & "|" & Month(d) & "|" & Day(d) & "|" & Hour(d) & "|" & Minute(d) & "|" & Second(d) %>
