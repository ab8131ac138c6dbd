// A made-up management site in the shape Tabulon's pages take (include of
// conn.asp, login check, a server block reading the form, an HTML form or a
// record list with <%= %> cells), used to time vbscheck and to plant errors
// at known lines. Written GBK-encoded with CR LF, like the real pages.
import fs from 'node:fs';
import path from 'node:path';
import { encodeGbk } from '../../lib/gbk.mjs';

const KINDS = ['Add', 'List', 'Modify', 'Display', 'Delete'];
const CAPTIONS = ['名称', '金额', '日期', '类型', '备注', '数量', '单价', '经手人'];

function conn() {
  return `<%
Dim conn, connstr
connstr = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" & Server.MapPath("../data/data.mdb")
Set conn = Server.CreateObject("ADODB.Connection")
conn.Open connstr

Function GetDate(d)
  If IsDate(d) Then
    GetDate = Year(d) & "-" & Right("0" & Month(d), 2) & "-" & Right("0" & Day(d), 2)
  Else
    GetDate = "时间参数错误--GetDate--[" & d & "]"
  End If
End Function

Sub SendMsg(msg)
  Response.Write "<script language=""javascript"">alert(""" & msg & """);</script>"
End Sub

Sub GoBack()
  Response.Write "<script language=""javascript"">history.go(-1);</script>"
  Response.End()
End Sub

Sub GoUrl(url)
  Response.Write "<script language=""javascript"">window.location.href='" & url & "';</script>"
  Response.End
End Sub

Function MyIsNumeric(v)
  If v = "" Then
    MyIsNumeric = False
  Else
    MyIsNumeric = IsNumeric(v)
  End If
End Function
%>
`;
}

function fieldsOf(i) {
  const n = 3 + (i % 6);
  return Array.from({ length: n }, (_, k) => ({ n: k + 1, caption: CAPTIONS[(i + k) % CAPTIONS.length], numeric: (i + k) % 3 === 0 }));
}

function head(title) {
  return `<!-- #include file="conn.asp" -->
<%
if request.Cookies("kovel_username")="" then
  sendmsg("没有权限，请重新登陆")
  response.end
end if
%>
<html>
<head>
<title>${title}</title>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<link href="../css/style.css" rel="stylesheet" type="text/css">
</head>
`;
}

function addPage(base, table, fields) {
  const reads = fields.map((f) => `             S_${f.n}=trim(request("S_${f.n}"))'${f.caption}\t\n`).join('\n');
  const checks = fields.filter((f) => f.numeric).map((f) => `if not myIsNumeric(S_${f.n}) then
 sendmsg("${f.caption}必须是数字")
 goback()
 response.End()
end if
`).join('\n');
  const assigns = fields.map((f) => `    rsAdd("${f.caption}")=S_${f.n}\n`).join('\n');
  const rows = fields.map((f) => `  <tr>
    <td width="120" align="right">${f.caption}：</td>
    <td><input type="text" name="S_${f.n}" id="S_${f.n}" style="width:300px" value="<%=S_${f.n}%>"></td>
  </tr>
`).join('');
  return `${head(`${table} - 添加记录`)}<%

if request("action")="add" then

${reads}
${checks}
sql="select * from ${table}"
Set rsAdd = Server.CreateObject("ADODB.Recordset")
rsAdd.ActiveConnection = conn
rsAdd.Source =sql
rsAdd.CursorType = 0
rsAdd.CursorLocation = 3
rsAdd.LockType = 2
rsAdd.Open()
rsAdd.addnew

${assigns}
rsAdd.update
  rsAdd.close
  set rsAdd=nothing
  sendmsg("添加记录成功")
gourl("${base}_list.asp")
end if%>
<body>
<form name="form1" method="post" action="?action=add">
<table width="100%" border="0" cellpadding="3" cellspacing="1" class="table">
${rows}  <tr>
    <td colspan="2" align="center"><input type="submit" value="提交"> <input type="button" value="返回" onclick="window.location.href='${base}_List.asp'"></td>
  </tr>
</table>
</form>
</body>
</html>
`;
}

function listPage(base, table, fields) {
  const headers = fields.map((f) => `    <td align="center">${f.caption}</td>\n`).join('');
  const cells = fields.map((f) => `    <td align="center"><%=rs("${f.caption}")%></td>\n`).join('');
  return `${head(`${table} - 记录列表`)}<%
Dim sql, rs, page, i, where, words, k
where = ""
words = Split(Trim(Request("keyword")), "；")
For k = 0 To UBound(words)
  If words(k) <> "" Then
    words(k) = Replace(words(k), "大于", " > '")
    words(k) = Replace(words(k), "小于", " < '")
    If Right(words(k), 1) <> "'" Then words(k) = words(k) & "'"
    where = where & " and " & words(k)
  End If
Next
If where = "" Then
  sql = "select * from ${table}"
Else
  sql = "select * from ${table} where 1 " & where
End If
page = Request("page")
If Not MyIsNumeric(page) Then page = 1
Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open sql, conn, 1, 1
rs.PageSize = 15
If Not rs.EOF Then rs.AbsolutePage = page
%>
<body>
<form name="form1" action="${base}_Delete.asp?action=Delete" method="post">
<table width="100%" border="0" cellpadding="3" cellspacing="1">
  <tr>
${headers}    <td>操作</td>
  </tr>
<%
i = 0
Do While Not rs.EOF And i < rs.PageSize
%>
  <tr onMouseOver="this.className='highlight'" onMouseOut="this.className=''"><a href="${base}_Display.asp?ID=<%=rs("id")%>">
${cells}    <td><a href="${base}_Modify.asp?ID=<%=rs("id")%>">修改</a></td>
    <td align="center"><input type="checkbox" name="ID" value="<%=rs("id")%>" style="border:0"></td>
  </tr>
<%
  i = i + 1
  rs.MoveNext
Loop
%>
</table>
<% If rs.PageCount > 1 Then %>
<p><% For k = 1 To rs.PageCount %><a href="?page=<%=k%>"><%=k%></a> <% Next %></p>
<% End If %>
</form>
</body>
</html>
<%
rs.Close
Set rs = Nothing
%>
`;
}

function modifyPage(base, table, fields) {
  const reads = fields.map((f) => `S_${f.n}=trim(request("S_${f.n}"))\n`).join('');
  const assigns = fields.map((f) => `  rs("${f.caption}")=S_${f.n}\n`).join('');
  const rows = fields.map((f) => `  <tr><td>${f.caption}：</td><td><input type="text" name="S_${f.n}" value="<%=rs("${f.caption}")%>"></td></tr>\n`).join('');
  return `${head(`${table} - 修改记录`)}<%
Dim ID, rs
ID = Request("ID")
If Not MyIsNumeric(ID) Then
  SendMsg("编号错误")
  GoBack()
End If
Set rs = Server.CreateObject("ADODB.Recordset")
rs.Open "select * from ${table} where id=" & ID, conn, 1, 3
If Request("action") = "modify" Then
${reads}  Select Case True
    Case rs.EOF
      SendMsg("记录不存在")
    Case Else
${assigns}      rs.Update
  End Select
  SendMsg("修改成功")
  GoUrl("${base}_List.asp")
End If
%>
<body>
<form method="post" action="?action=modify&ID=<%=ID%>">
<table>
${rows}</table>
<input type="button" value="返回" onclick="window.location.href='${base}_List.asp'">
</form>
</body>
</html>
`;
}

function displayPage(base, table, fields) {
  const rows = fields.map((f) => `<tr><td>${f.caption}：</td><td><%=rs("${f.caption}")%></td></tr>\n`).join('');
  return `${head(`${table} - 显示记录`)}<%
Dim rs
If Not MyIsNumeric(Request("ID")) Then GoBack()
Set rs = conn.Execute("select * from ${table} where id=" & Request("ID"))
If rs.EOF Then
%>
<script language="javascript">alert("指定编号的记录不存在");history.go(-1);</script>
<%
  Response.End
End If
%>
<body>
<table>
${rows}</table>
<a href="${base}_List.asp">返回</a>
</body>
</html>
`;
}

function deletePage(base, table) {
  return `${head(`${table} - 删除记录`)}<%
Dim ids, id, rs, n
ids = Split(Request("ID"), ",")
For Each id In ids
  If Not MyIsNumeric(Trim(id)) Then
    SendMsg("编号错误")
    GoBack()
  End If
Next
If Request("action") = "Delete" Then
  n = 0
  Set rs = Server.CreateObject("ADODB.Recordset")
  rs.Open "select * from ${table} where id in(" & Request("ID") & ")", conn, 1, 3
  While Not rs.EOF
    rs.Delete
    n = n + 1
    rs.MoveNext
  Wend
  If n > 0 Then SendMsg("删除成功") Else SendMsg("删除失败，记录不存在")
  GoUrl("${base}_List.asp")
End If
%>
<body></body>
</html>
`;
}

/**
 * Writes `count` pages (five kinds per table, tables 1, 2, ...) plus
 * manage/conn.asp into `dir`/manage. Returns the page paths.
 */
export function writeSampleSite(dir, count) {
  const manage = path.join(dir, 'manage');
  fs.mkdirSync(manage, { recursive: true });
  const write = (file, text) => fs.writeFileSync(file, encodeGbk(text.replace(/\r?\n/g, '\r\n')));
  write(path.join(manage, 'conn.asp'), conn());
  const pages = [];
  for (let i = 0; i < count; i++) {
    const t = Math.floor(i / KINDS.length) + 1;
    const kind = KINDS[i % KINDS.length];
    const table = `表${t}`;
    const base = `B${t}`;
    const fields = fieldsOf(t);
    const text = kind === 'Add' ? addPage(base, table, fields)
      : kind === 'List' ? listPage(base, table, fields)
        : kind === 'Modify' ? modifyPage(base, table, fields)
          : kind === 'Display' ? displayPage(base, table, fields)
            : deletePage(base, table);
    const file = path.join(manage, `${base}_${kind}.asp`);
    write(file, text);
    pages.push(file);
  }
  return pages;
}
