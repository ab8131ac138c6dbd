<%
Session("x") = 1
Application("endedBefore") = Application("ended")
%>ok