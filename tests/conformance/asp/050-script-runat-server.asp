<script language="vbscript" runat="server">
Function FromBlock()
  FromBlock = "from block"
End Function
</script>
<%= FromBlock() %>
