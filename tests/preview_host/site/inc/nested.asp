<%
Function NestedName()
	NestedName = "nested"
End Function

Sub FailInNested()
	Dim zero
	zero = 0
	Response.Write 1 / zero
End Sub
%>
