  <tr onMouseOver="this.className='highlight'" onMouseOut="this.className=''"  style="cursor:pointer"><a href="Show_Display.asp?ID=<%=rs("id")%>">
