<%@ CODEPAGE=936 %>
<!-- #include file="conn.asp" -->
<%
if request.Cookies("kovel_username")="" then
  sendmsg("没有权限，请重新登陆")
  response.end
end if
%>
<html>
<head>
<title>组件 - 记录列表</title>
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
 case "开始": 
		
		
							tempS=GetId("S_120").value+"从#"+GetId("S_STime").value+"#至#"+GetId("S_ETime").value+"#";			
							
						  break; 
		

 case "结束": 
		
		
							tempS=GetId("S_120").value+"从#"+GetId("S_STime").value+"#至#"+GetId("S_ETime").value+"#";			
							
						  break; 
		

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
   case "开始" : 
  GetId("SearchTimeZone").style.display="block";//显示  
  GetId("keyword").style.display="none";
  GetId("bank").style.display="none";
      break; 

   case "结束" : 
  GetId("SearchTimeZone").style.display="block";//显示  
  GetId("keyword").style.display="none";
  GetId("bank").style.display="none";
      break; 

		default:
			GetId("SearchTimeZone").style.display="none";
			GetId("keyword").style.display="";
			GetId("bank").style.display="";
			break;
	}
}

// 去掉首尾空白
function Trim(s){
	return s.replace(/^\s+|\s+$/g,"");
}

// 值里的“；”会把一个条件拆成两个，去掉它
function CleanValue(s){
	return Trim(s.replace(/；/g,""));
}
</script>
</head>

<body onload="ChangeField();ShowConditions();">
<form name="SearchForm" id="SearchForm" action="?" method="post" onsubmit="return DoSearch()">
<div class="searchbar">
	<img src="../images/search.gif" border="0" hspace="2" align="absmiddle">查询：
	<select id="S_120" onchange="ChangeField()">
<option value="标题">标题</option>

<option value="数量">数量</option>

<option value="单价">单价</option>

<option value="编码">编码</option>

<option value="正文">正文</option>

<option value="摘要">摘要</option>

<option value="开始">开始</option>

<option value="结束">结束</option>

<option value="大类">大类</option>

<option value="小类">小类</option>

<option value="主键">主键</option>

<option value="备用">备用</option>

<option value="来源">来源</option>

<option value="price">价格</option>

<option value="启用">启用</option>

<option value="重量">重量</option>
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
<table width="100%" border="0" cellpadding="0" cellspacing="0" bgcolor="#C4D8ED">
<tr>
<td><img src="../images/r_1.gif" alt="" /></td>
<td width="100%" background="../images/r_0.gif">
  <table cellpadding="0" cellspacing="0" width="100%">
    <tr>
      <td>&nbsp;记录列表</td>
	  <td align="right">&nbsp;</td>
    </tr>
  </table>
</td>
<td><img src="../images/r_2.gif" alt="" /></td>
</tr>
<tr>
<td></td>
<td>
<form name="form1" action="ZJ30_Delete.asp?action=Delete" method="post">
<input type="hidden" name="kovel_token" value="<%=SiteToken()%>">
<table align="center" cellpadding="4" cellspacing="1" class="toptable grid" border="1">
  <tr align="center">    
	<td class="category">标题<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">数量<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">单价<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">编码<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">正文<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">摘要<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">开始<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">结束<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">大类<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">小类<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">主键<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">备用<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">来源<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">价格<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">启用<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>	<td class="category">重量<img src="../images/down2.gif" border="0" hspace="2" align="absmiddle"></td>    <td class="category">修改</td>
    <td class="category">删除</td>
  </tr>
 <%
  
  if request("SearchText")<>"" then
  

 
  if request("action")="search" then
  
  
     SearchText=request("SearchText")
   
   CommandArray=split(SearchText,"；")
   
   s="大于,小于,等于,近似,从,至"
   
   LogicArray=split(s,",")

   LogicArray2=split(" > ', < ', = ', like '% , between , and ",",")
   
   filedArray=split("标题,数量,单价,编码,正文,摘要,开始,结束,大类,小类,主键,备用,来源,price,启用,重量,",",")
   
   filedTypeArray=split("1,6,4,1,1,1,2,2,1,1,1,1,1,3,0,0,",",")
   
   
   
'   刊登日从2012-03-01至2012-03-01；CPM等于；
   
   '规格大于等于fdsfds

   SqlString=""
   
   for i=0 to ubound(CommandArray) '''''''''''''''''''''命令个数循环
   
    Condition=trim(CommandArray(i))
    
    if Condition<>"" then
    
     '条件开头的字段名：取后面紧跟运算词的最长的那个
     FieldIndex=-1
     FieldLength=0
     LogicWord=""
     keyWord=""
     for k=0 to ubound(filedArray)
      if len(filedArray(k))>FieldLength then
       if left(Condition,len(filedArray(k)))=filedArray(k) then
        Rest=mid(Condition,len(filedArray(k))+1)
        for j=0 to 4 '至 只跟在 从 后面
         if left(Rest,len(LogicArray(j)))=LogicArray(j) then
          FieldIndex=k
          FieldLength=len(filedArray(k))
          LogicWord=LogicArray(j)
          keyWord=mid(Rest,len(LogicWord)+1)
         end if
        next
       end if
      end if
     next
     
     if (LogicWord="大于" or LogicWord="小于") and left(keyWord,2)="等于" then
      LogicWord=LogicWord&"等于"
      keyWord=mid(keyWord,3)
     end if
     
     SqlCondition=""
     if FieldIndex>=0 then SqlCondition=SearchCondition(filedArray(FieldIndex),filedTypeArray(FieldIndex),LogicWord,keyWord)
     
     if SqlCondition<>"" then
      SqlString=SqlString&" and "&SqlCondition&" "
     else
      erroString="查询条件["&CommandArray(i)&"]不符合要求，已被剔除！"
      erroString=replace(erroString,"'","")
      sendmsg(erroString)
     end if
     
    end if
   
   next

   
   Sql="select * from [组件] where 1 " & SqlString
 
   
  else
  
      sql="select * from [组件]"
  
  end if
  
  
  else
  
  sql="select * from [组件]"
  
  end if
 

set RsList=server.CreateObject("adodb.recordset")

'一个条件的 SQL；值不合字段类型或含有控制字符时为空。列名放在方括号里：name、date 这样的保留字也能用
Function SearchCondition(ByVal ColumnName,ColumnType,Word,ByVal Text)
 dim p,lowValue,highValue
 SearchCondition=""
 if SearchMatches(Text,"[\x00-\x1f\x7f]") then exit function
 ColumnName="[" & ColumnName & "]"
 select case Word
  case "从"
   p=instr(1,Text,"至")
   if p<1 then exit function
   lowValue=SearchValue(ColumnType,left(Text,p-1))
   highValue=SearchValue(ColumnType,mid(Text,p+1))
   if lowValue<>"" and highValue<>"" then SearchCondition=ColumnName & " between " & lowValue & " and " & highValue
  case "近似"
   '% _ [ 按字面找
   if ColumnType="1" or ColumnType="2" then SearchCondition=ColumnName&" like '%"&SiteLikeText(Text)&"%'"
  case "大于","小于","等于","大于等于","小于等于"
   lowValue=SearchValue(ColumnType,Text)
   if lowValue<>"" then SearchCondition=ColumnName & " " & SearchOperator(Word) & " " & lowValue
   if lowValue<>"" and ColumnType="3" and Word="等于" then SearchCondition=SearchSingleEqual(ColumnName,lowValue)
 end select
End Function

'单精度列存的是最接近的单精度数（12.3 存成 12.300000190734863）：等于按单精度的精度比较，
'即落在该数上下半个单精度最小单位之内
Function SearchSingleEqual(ColumnName,ValueText)
 dim v,unit,exponent
 v=SiteNumberOf(ValueText)
 if v=0 then
  SearchSingleEqual=ColumnName & " = 0"
  exit function
 end if
 exponent=Int(Log(Abs(v))/Log(2))
 if 2^(exponent+1)<=Abs(v) then exponent=exponent+1
 if 2^exponent>Abs(v) then exponent=exponent-1
 unit=2^(exponent-23)
 SearchSingleEqual="(" & ColumnName & " >= " & SearchNumberText(v-unit/2) & " and " & ColumnName & " <= " & SearchNumberText(v+unit/2) & ")"
End Function

'小数点总是 .，不随地区设置变
Function SearchNumberText(v)
 SearchNumberText=Replace(CStr(v),",",".")
End Function

'一个值的 SQL：数字字段要合类型和范围的数字，日期字段要日期，文本是引号加倍的文本；不合时为空
Function SearchValue(ColumnType,ByVal Text)
 SearchValue=""
 Text=trim(Text)
 select case ColumnType
  case "0","3","4","5","6","7","8"
   SearchValue=SiteSearchNumber(Text,SearchNumberKind(ColumnType))
  case "2"
   if len(Text)>=2 and left(Text,1)="#" and right(Text,1)="#" then Text=mid(Text,2,len(Text)-2)
   SearchValue=SearchDate(Text)
  case else
   SearchValue="'"&replace(Text,"'","''")&"'"
 end select
End Function

'类型代号对应的数字种类（见 inc/values.asp）
Function SearchNumberKind(ColumnType)
 dim kinds
 kinds=split("double,text,date,single,decimal,long,short,byte,currency",",")
 SearchNumberKind=kinds(clng(ColumnType))
End Function

Function SearchOperator(Word)
 select case Word
  case "大于"
   SearchOperator=">"
  case "小于"
   SearchOperator="<"
  case "等于"
   SearchOperator="="
  case "大于等于"
   SearchOperator=">="
  case "小于等于"
   SearchOperator="<="
 end select
End Function

'日期只认 年-月-日（可带 时:分[:秒]，分隔符 - 或 /），即日期框写出的样子，不随服务器的地区设置变；
'写成 #yyyy-mm-dd hh:nn:ss#，不是有效日期时为空
Function SearchDate(ByVal Text)
 dim parts,dateParts,timeParts,moment
 SearchDate=""
 if not SearchMatches(Text,"^[0-9]{4}[-/][0-9]{1,2}[-/][0-9]{1,2}( [0-9]{1,2}:[0-9]{1,2}(:[0-9]{1,2})?)?$") then exit function
 parts=split(Text," ")
 dateParts=split(replace(parts(0),"/","-"),"-")
 moment=DateSerial(clng(dateParts(0)),clng(dateParts(1)),clng(dateParts(2)))
 if year(moment)<>clng(dateParts(0)) or month(moment)<>clng(dateParts(1)) or day(moment)<>clng(dateParts(2)) then exit function
 SearchDate=dateParts(0) & "-" & right("0" & dateParts(1),2) & "-" & right("0" & dateParts(2),2)
 if ubound(parts)=1 then
  timeParts=split(parts(1) & ":0",":")
  if clng(timeParts(0))>23 or clng(timeParts(1))>59 or clng(timeParts(2))>59 then
   SearchDate=""
   exit function
  end if
  SearchDate=SearchDate & " " & right("0" & timeParts(0),2) & ":" & right("0" & timeParts(1),2) & ":" & right("0" & timeParts(2),2)
 end if
 SearchDate="#" & SearchDate & "#"
End Function

Function SearchMatches(Text,Pattern)
 dim Expression
 set Expression=new RegExp
 Expression.Pattern=Pattern
 SearchMatches=Expression.Test(Text&"")
End Function
  %>

 <% 'response.Write sql
    Set rs = Server.CreateObject("ADODB.Recordset")
    rs.ActiveConnection = conn
    rs.Source =sql
    rs.CursorType = 3
    rs.CursorLocation = 3
    rs.LockType =1
    rs.Open()
    
    rs_numRows = 0
    rs.pagesize=15 
    totalrecords=rs.recordcount  
    totalpages=rs.pagecount 
    'rs.movefirst 
    
    nowpage=trim(request("page"))
    
    if not SearchMatches(nowpage,"^[0-9]+$") then 
     nowpage=1  
     elseif len(nowpage)>9 then 
      nowpage=totalpages 
     else 
      nowpage=clng(nowpage) 
     end if 
    if nowpage>totalpages then nowpage=totalpages 
    if nowpage<1 then nowpage=1 
       
    if not rs.eof then

     rs.absolutepage=nowpage 
     i=0
    while not rs.eof and i<rs.pagesize
     i=i+1
%>
 
  <tr onclick="var t=(event.target||event.srcElement).tagName;if(t!='A'&&t!='INPUT')location.href='ZJ30_Display.asp?ID=<%=rs("id")%>'" onMouseOver="this.className='highlight'" onMouseOut="this.className=''"  style="cursor:pointer">
	<td align="center">&nbsp;<a href="ZJ30_Display.asp?ID=<%=rs("id")%>"><%=SiteFormValue(rs("标题"),"text")%></a></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("数量"),"short")%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("单价"),"decimal")%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("编码"),"text")%></td>	<td align="center">&nbsp;<%=SiteCleanHtml(rs("正文")&"")%></td>	<td align="center">&nbsp;<%=SiteCleanHtml(rs("摘要")&"")%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("开始"),"date")%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("结束"),"date")%></td>	<td align="center">&nbsp;<span style="cursor:pointer" title="<%=server.HTMLEncode(rs("大类")&"")%>">	<%
 RsListID=rs("大类")
 
 RsSql="select id,[名称] from [分类] where id="&RsListID
 if SearchMatches(RsListID,"^[0-9]+$") then
 RsList.open RsSql,conn,1,1
 
 
 if not RsList.eof then
	response.Write(server.HTMLEncode(RsList("名称")&""))	 
 end if
 RsList.close
 end if
	%></td>	<td align="center">&nbsp;<span style="cursor:pointer" title="<%=server.HTMLEncode(rs("小类")&"")%>">	<%
 RsListID=rs("小类")
 
 RsSql="select id,[名称] from [城市] where id="&RsListID
 if SearchMatches(RsListID,"^[0-9]+$") then
 RsList.open RsSql,conn,1,1
 
 
 if not RsList.eof then
	response.Write(server.HTMLEncode(RsList("名称")&""))	 
 end if
 RsList.close
 end if
	%></td>	<td align="center">&nbsp;<span style="cursor:pointer" title="<%=server.HTMLEncode(rs("主键")&"")%>">	<%
 RsListID=rs("主键")
 
 RsSql="select id,[id] from [分类] where id="&RsListID
 if SearchMatches(RsListID,"^[0-9]+$") then
 RsList.open RsSql,conn,1,1
 
 
 if not RsList.eof then
	response.Write(server.HTMLEncode(RsList("id")&""))	 
 end if
 RsList.close
 end if
	%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("备用"),"text")%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("来源"),"text")%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("price"),"single")%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("启用"),"bool")%></td>	<td align="center">&nbsp;<%=SiteFormValue(rs("重量"),"double")%></td>    <td align="center"><img src="../images/res.gif" border="0" hspace="2" align="absmiddle"><a href="ZJ30_Modify.asp?ID=<%=rs("id")%>">修改</a></td>    <td align="center"><input type="checkbox" name="ID" value="<%=rs("id")%>" style="border:0"></td>
  </tr>
<%
     rs.movenext
    wend
    else
%>
  <tr>
    <td colspan="18" class="nodata">没有找到记录</td>
  </tr>
<%
    end if
%>
  <tr>
    <td colspan="18" class="pagebar">
<%
    '翻页链接带上 action、SearchText 和 page，翻页后仍是同一个查询
    PageLink="?action="&server.URLEncode(request("action")&"")&"&SearchText="&server.URLEncode(request("SearchText")&"")&"&page="
    PageCount=totalpages
    if PageCount<1 then PageCount=1
    response.Write "共 "&totalrecords&" 条记录，第 "&nowpage&"/"&PageCount&" 页 "
    if nowpage>1 then
     response.Write "<a href="""&PageLink&"1"">首页</a><a href="""&PageLink&(nowpage-1)&""">上一页</a>"
    else
     response.Write "<span class=""disabled"">首页</span><span class=""disabled"">上一页</span>"
    end if
    if nowpage<PageCount then
     response.Write "<a href="""&PageLink&(nowpage+1)&""">下一页</a><a href="""&PageLink&PageCount&""">尾页</a>"
    else
     response.Write "<span class=""disabled"">下一页</span><span class=""disabled"">尾页</span>"
    end if
%>
    </td>
  </tr>
</table>
<div class="noprint" style="padding:6px 4px">
  <input type="checkbox" id="chkall" onclick="CheckAll(this)"><label for="chkall">全选</label>&nbsp;&nbsp;
  <input type="submit" value=" 删除选中 " class="button" onclick="return CheckDelete()">
</div>
</form>
</td>
<td></td>
</tr>
<tr>
<td><img src="../images/r_4.gif" alt="" /></td>
<td></td>
<td><img src="../images/r_3.gif" alt="" /></td>
</tr>
</table>
<%
    rs.close
    set rs=nothing
    set RsList=nothing
    conn.close
    set conn=nothing
%>
</body>
</html>