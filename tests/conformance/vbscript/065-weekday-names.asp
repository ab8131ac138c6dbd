<%= WeekdayName(Weekday(#2024-03-05#)) & "|" & MonthName(3) & "|" & Weekday(#2024-03-05#) %>
