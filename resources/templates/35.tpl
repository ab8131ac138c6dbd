
		default:
			if(CleanValue(GetId("keyword").value)==""){
				alert("请输入要查询的内容");
				GetId("keyword").focus();
				return false;
			}
			tempS=GetId("S_120").value+GetId("bank").value+CleanValue(GetId("keyword").value);
			break;
	}
	var box=GetId("SearchText");
	box.value=(Trim(box.value)=="")?tempS:box.value+"；"+tempS;
	GetId("keyword").value="";
	GetId("S_STime").value="";
	GetId("S_ETime").value="";
	ShowConditions();
	return false;
}

// 显示已经加上的条件
function ShowConditions(){
	var text=GetId("SearchText").value;
	GetId("SearchShow").innerText=(text=="")?"":"条件："+text;
}

function ClearConditions(){
	GetId("SearchText").value="";
	ShowConditions();
}

// 搜索：搜索条上填了而没加的条件先加上；没有条件就列出全部记录
function DoSearch(){
	var dates=GetId("SearchTimeZone").style.display!="none";
	var filled=dates?(GetId("S_STime").value!=""&&GetId("S_ETime").value!=""):(CleanValue(GetId("keyword").value)!="");
	if(filled) AddCondition();
	return true;
}

// 换字段：日期字段填起止日期，其他字段选运算词、填内容
function ChangeField(){
	switch(GetId("S_120").value){