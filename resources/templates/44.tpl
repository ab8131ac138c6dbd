	</td>
      </tr>