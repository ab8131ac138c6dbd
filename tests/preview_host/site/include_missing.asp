<html>
<!--#include file="inc/absent.asp"-->
</html>
