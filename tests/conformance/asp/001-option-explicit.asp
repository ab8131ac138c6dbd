<%@ Language="VBScript" CodePage=936 %>
<% Option Explicit %>
<% Dim x : x = "ok" : Response.Write x %>
