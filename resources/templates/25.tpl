
  <tr align="center">    
