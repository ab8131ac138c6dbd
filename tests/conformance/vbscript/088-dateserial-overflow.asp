<%= DateSerial(2024, 2, 30) & "|" & DateSerial(2024, 1, 0) %>
