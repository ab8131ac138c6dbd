<%
On Error Resume Next
Err.Raise 1001, "src", "mine"
Response.Write Err.Number & "|" & Err.Description & "|" & Err.Source
%>
