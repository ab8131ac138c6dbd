<%
Server.Execute "broken.asp"
%>
