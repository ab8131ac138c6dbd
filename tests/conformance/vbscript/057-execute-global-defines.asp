<%
ExecuteGlobal "Function Made() : Made = ""ok"" : End Function"
Response.Write Made()
%>
