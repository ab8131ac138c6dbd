<%@ Language="VBScript" LCID=1033 %>
<%= #2024-03-05# %>
