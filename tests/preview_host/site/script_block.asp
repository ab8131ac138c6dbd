<script language="VBScript" runat="server">
Function FromBlock()
	FromBlock = "block"
End Function
</script>
<script type="text/javascript">var keep = 1;</script>
<%= FromBlock() %>
