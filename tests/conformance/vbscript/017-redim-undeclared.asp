<%
ReDim fresh(3)
Response.Write UBound(fresh)
%>
