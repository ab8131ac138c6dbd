<%
Sub SiteAllowCascade(tableName, fieldName, condition)
	Dim key
	key = "|" & LCase(tableName & "/" & fieldName & "/" & condition) & "|"
	If InStr(Session("kovel_cascades") & "", key) = 0 Then Session("kovel_cascades") = Session("kovel_cascades") & key
End Sub
Function SiteCascadeAllowed(tableName, fieldName, condition)
	SiteCascadeAllowed = InStr(Session("kovel_cascades") & "", "|" & LCase(tableName & "/" & fieldName & "/" & condition) & "|") > 0
End Function
SiteAllowCascade "小类","小类名称","所属大类"
Response.Write CStr(SiteCascadeAllowed("小类","小类名称","所属大类")) & "|" & Session("kovel_cascades")
%>
