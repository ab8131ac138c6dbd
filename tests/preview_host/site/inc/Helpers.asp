<!--#include file="Nested.asp"-->
<%
Function HelperName()
	HelperName = "helper+" & NestedName()
End Function
%>
