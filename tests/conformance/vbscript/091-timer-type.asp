<%= VarType(Timer) %>
