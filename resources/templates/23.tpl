 - 记录列表</title>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<link href="../style/style.css" rel="stylesheet" type="text/css">
<style type="text/css">
@media print {
	.searchbar, .noprint { display:none; }
}
</style>
<script language="javascript" type="text/javascript" src="../date/WdatePicker.js"></script>
<script language="javascript" type="text/javascript">
function GetId(id){
	return document.getElementById(id);
}

// 全选：勾上或取消列表里每条记录的复选框
function CheckAll(box){
	var items=document.getElementsByName("ID");
	for(var i=0;i<items.length;i++) items[i].checked=box.checked;
}

// 删除前至少要选中一条记录
function CheckDelete(){
	var items=document.getElementsByName("ID");
	for(var i=0;i<items.length;i++){
		if(items[i].checked) return confirm("确定删除选中的记录吗？");
	}
	alert("请先选择要删除的记录");
	return false;
}

// 打印列表（搜索条和按钮不打印）
function PrintList(){
	window.print();
}

// 把搜索条上的条件（字段、运算词、值）加到 SearchText，条件之间用“；”隔开
function AddCondition(){
	var tempS="";
	if(GetId("S_120").value=="") return false;
	switch(GetId("S_120").value){