<!-- #include file="nowhere.asp" -->
