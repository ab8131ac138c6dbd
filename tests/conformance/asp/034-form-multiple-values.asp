<%= Request.Form("a") & "|" & Request.Form("a").Count & "|" & Request.Form("a")(2) %>
