<%
Dim parts, d, probe, key
' Split("in a comment") and "Split(in a string)" stay as they are
Check "literal", "Trim(x)"
Class Box
	Public Function Trim(value)
		Trim = "box:" & value
	End Function
End Class
Sub Check(name, value)
	Response.Write name & "=" & value & ";"
End Sub
Sub Greeter(who)
	Response.Write "hello " & who & ";"
End Sub
parts = Split("", ",")
Check "split.empty", UBound(parts)
parts = Split("a<>b<>c", "<>")
Check "split.multi", UBound(parts) & parts(1)
Check "split.limit", UBound(Split("a,b,c", ",", 2))
Check "join", Join(Array("x", "y", "z"), "-")
Check "join.default", Join(Array("x", "y"))
Check "filter", Join(Filter(Array("apple", "pear", "grape"), "ap"), ",")
Check "isdate.text", IsDate("2024-01-31")
Check "isdate.bad", IsDate("hello")
Check "isdate.empty", IsDate("")
Check "datediff.d", DateDiff("d", #2024-01-01#, #2024-03-01#)
Check "datediff.m", DateDiff("m", #2024-01-31#, #2024-02-01#)
Check "datediff.yyyy", DateDiff("yyyy", #2023-12-31#, #2024-01-01#)
Check "datediff.h", DateDiff("h", #2024-01-01 10:59:00#, #2024-01-01 11:00:00#)
d = DateAdd("m", 1, #2024-01-31#)
Check "dateadd.m", Year(d) & "-" & Month(d) & "-" & Day(d)
d = DateAdd("yyyy", 1, #2024-02-29#)
Check "dateadd.yyyy", Year(d) & "-" & Month(d) & "-" & Day(d)
d = DateAdd("d", -1, #2024-03-01#)
Check "dateadd.d", Year(d) & "-" & Month(d) & "-" & Day(d)
Check "chrw", AscW(ChrW(20013)) & "," & Len(ChrW(20013))
Check "ascw.high", AscW(ChrW(40869))
Check "trim.null", IsNull(Trim(Null))
Check "trim", "[" & Trim("  a b  ") & "][" & LTrim("  a ") & "][" & RTrim(" a  ") & "]"
Check "round", Round(2.5) & "," & Round(3.5) & "," & Round(1.2345, 2) & "," & Round(2.675, 1)
Check "escape", Escape("a b+中")
Check "unescape", Unescape("a%20b%u4E2D")
Check "eval", Eval("2 * 21")
ExecuteGlobal "Function Added()" & vbCrLf & "Added = ""added""" & vbCrLf & "End Function"
Check "executeglobal", Added()
On Error Resume Next
Set probe = GetRef("Greeter")
Check "getref.found", (Err.Number = 0)
Err.Clear
Set probe = GetRef("NoSuchProcedure")
Check "getref.missing", (Err.Number <> 0)
Err.Clear
On Error GoTo 0
probe "ref"
Check "locale", GetLocale()
Check "date", CStr(DateSerial(2024, 3, 5))
Check "isnumeric", IsNumeric("12.5") & IsNumeric("x") & IsNumeric(Null)
Check "isnull.own", IsNull(Null) & IsNull("")
Set d = New Box
Check "member", d.Trim("x")
%>
