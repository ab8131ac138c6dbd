
	<TD valign="bottom" width="*">
	  <a href="desk.asp" target="right"><img src="images/button8.jpg" border="0"></a>
	</TD>		
  </TR></TABLE>
</BODY></HTML>
