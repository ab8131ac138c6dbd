<%= VarType(Trim(Null)) & "|" & VarType(LTrim(Null)) & "|" & VarType(RTrim(Null)) %>
