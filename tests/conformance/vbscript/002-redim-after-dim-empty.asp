<% Dim a() : ReDim a(2) : Response.Write UBound(a) %>
