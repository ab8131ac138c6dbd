      <tr>
        <td width="25%" height="30" align="right">