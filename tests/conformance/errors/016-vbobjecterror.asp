<% Err.Raise vbObjectError + 1, "Mine", "custom" %>
