<%= Request.QueryString("name") & "|" & Request.Form("city") & "|" & Request.Form.Count %>
