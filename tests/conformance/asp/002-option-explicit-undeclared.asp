<%@ Language="VBScript" %>
<% Option Explicit %>
<% y = 1 %>
