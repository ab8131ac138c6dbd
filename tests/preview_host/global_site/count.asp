<%
Response.Write "starts=" & Application("starts") & ";session=" & Session("start") & ";"
%>
