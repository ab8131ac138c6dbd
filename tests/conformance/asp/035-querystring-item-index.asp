<%= Request.QueryString("t")(2) & "|" & Request.QueryString("t").Count %>
