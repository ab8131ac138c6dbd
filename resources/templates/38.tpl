	</select>
	<select id="bank">
		<option value="等于">等于</option>
		<option value="大于">大于</option>
		<option value="小于">小于</option>
		<option value="大于等于">大于等于</option>
		<option value="小于等于">小于等于</option>
		<option value="近似">近似</option>
	</select>
	<input type="text" id="keyword" class="searchtext">
	<span id="SearchTimeZone" style="display:none">
		<input type="text" id="S_STime" class="Wdate" size="12" onclick="WdatePicker()"> 至 
		<input type="text" id="S_ETime" class="Wdate" size="12" onclick="WdatePicker()">
	</span>
	<input type="button" value="加条件" class="button" onclick="AddCondition()">
	<input type="button" value="清空条件" class="button" onclick="ClearConditions()">
	<input type="submit" value="搜索" class="searchbutton">
	<input type="button" title="打印" class="printbutton" onclick="PrintList()">
	<input type="hidden" name="action" value="search">
	<input type="hidden" name="SearchText" id="SearchText" value="<%=server.HTMLEncode(request("SearchText")&"")%>">
	<span id="SearchShow" class="tip"></span>
</div>
</form>
