<%
Nowhere 1
%>
