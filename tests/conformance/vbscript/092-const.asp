<% Const PI = 3.14 : Response.Write PI * 2 %>
