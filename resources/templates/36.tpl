
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