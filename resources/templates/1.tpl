<!-- #include file="conn.asp" -->
<%
if request.Cookies("kovel_username")="" then
  sendmsg("没有权限，请重新登陆")
  response.end
end if
%>
<html>
<head>
<title>