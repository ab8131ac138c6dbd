<!--#include file="../../outside.asp"-->
