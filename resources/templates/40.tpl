<!-- #include file="conn.asp" -->
<html>
<head>
<title>