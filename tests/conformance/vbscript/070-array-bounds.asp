<% Dim a : a = Array(1, 2, 3) : Response.Write LBound(a) & "|" & UBound(a) & "|" & UBound(Array()) %>
