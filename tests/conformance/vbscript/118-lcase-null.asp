<%= VarType(LCase(Null)) %>
