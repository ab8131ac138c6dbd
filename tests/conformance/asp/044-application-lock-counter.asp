<%
Application.Lock
Application("hits044") = Application("hits044") + 1
Application.UnLock
Response.Write Application("hits044")
%>
