：</td>
        <td width="75%" class="category">