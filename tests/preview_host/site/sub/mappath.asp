<!--#include file="../inc/Helpers.asp"-->
<%
Response.Write "map.rel=" & Server.MapPath("../data/data.mdb") & ";"
Response.Write "map.here=" & Server.MapPath("x.asp") & ";"
Response.Write "helper=" & HelperName() & ";"
%>
