<%= VarType("") & "|" & VarType(1) & "|" & VarType(1.5) & "|" & VarType(Null) & "|" & VarType(Array()) & "|" & VarType(100000) %>
