#!/usr/bin/env node
// Runs the server-side search script of a generated list page in Wine's VBScript engine
// and checks the SQL it builds: every condition either becomes a well-formed condition
// with its value quoted, numeric or a date, or is dropped with the page's message. Also
// runs the page-number code for numbers, junk and pages past the end.
//
//   node list_search_script.mjs <run folder written by pages_design_site>
//
// Exit 0 all cases pass, 1 some fail, 77 wine is not installed.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const { defaultPrefix, ensurePrefix, findWine, startServer, wineEnv } = await import(
  path.join(here, '..', '..', 'tools', 'sitecheck', 'lib', 'wine.mjs')
);
const SKIP = 77;

const runDir = process.argv[2];
if (!runDir) {
  console.error('usage: list_search_script.mjs <run folder>');
  process.exit(2);
}

function readGbk(file) {
  return new TextDecoder('gbk').decode(fs.readFileSync(file));
}

// The list page's first server block holds the search script; the listing block after
// it holds the page-number code, from reading `page` up to the record loop.
function scriptsOf(page) {
  const start = page.indexOf('<%\r\n  \r\n  if request("SearchText")<>"" then');
  if (start < 0) throw new Error('no search block in the page');
  const end = page.indexOf('%>', start);
  const search = page.slice(start + 2, end);
  const functionsAt = search.search(/^'[^\r\n]*\r\nFunction /m);
  if (functionsAt < 0) throw new Error('no search functions in the search block');
  const pageStart = page.indexOf('nowpage=', end);
  const pageEnd = page.indexOf('if not rs.eof then', pageStart);
  if (pageStart < 0 || pageEnd < 0) throw new Error('no page-number code');
  return {
    conditions: search.slice(0, functionsAt),
    functions: search.slice(functionsAt),
    pageNumber: page.slice(pageStart, pageEnd),
  };
}

// The skeleton's own value checks (inc/values.asp and SiteMatches of inc/guard.asp), so
// the number, LIKE and control-character rules are the ones the site runs.
function valueChecks(site) {
  const values = readGbk(path.join(site, 'inc', 'values.asp'));
  const code = [...values.matchAll(/<%([\s\S]*?)%>/g)].map((m) => m[1]).join('\r\n');
  const guard = readGbk(path.join(site, 'inc', 'guard.asp'));
  const matches = guard.match(/^Function SiteMatches\b[\s\S]*?^End Function/m);
  if (!matches) throw new Error('inc/guard.asp has no Function SiteMatches');
  return `${code}\r\n${matches[0]}`;
}

// The skeleton's own Myisnumeric, so the numeric test is the one the site runs.
function skeletonFunction(site, name) {
  const conn = readGbk(path.join(site, 'manage', 'conn.asp'));
  const match = conn.match(new RegExp(`^Function ${name}\\b[\\s\\S]*?^End Function`, 'mi'));
  if (!match) throw new Error(`manage/conn.asp has no Function ${name}`);
  return match[0];
}

const STUBS = `
Dim RequestValues
Set RequestValues = CreateObject("Scripting.Dictionary")
Function request(name)
  If RequestValues.Exists(name) Then
    request = RequestValues(name)
  Else
    request = ""
  End If
End Function
Dim Messages
Sub sendmsg(text)
  Messages = Messages & "[" & text & "]"
End Sub
Class FakeServer
  Function CreateObject(name)
    Set CreateObject = Nothing
  End Function
End Class
Dim server
Set server = New FakeServer
`;

// The program: the stubs, the page's search functions, its condition loop and its
// page-number code as procedures, and one entry point per case. Wine's VBScript has no
// ExecuteGlobal, so the page's top-level code runs inside Subs; the names it must leave
// behind are declared globally first, which makes the Subs use them.
function program(scripts, isNumeric) {
  return [
    STUBS,
    isNumeric,
    scripts.functions,
    'Dim sql, nowpage, totalpages',
    'Sub RunConditions()',
    scripts.conditions,
    'End Sub',
    'Sub RunPageNumber()',
    scripts.pageNumber,
    'End Sub',
    "' One case: name, action, SearchText, page, total pages, TAB-separated (Wine's Run",
    "' passes one argument).",
    'Function RunCase(line)',
    '  Dim f',
    '  f = Split(line, vbTab)',
    '  RequestValues.RemoveAll',
    '  RequestValues("action") = f(1)',
    '  RequestValues("SearchText") = f(2)',
    '  RequestValues("page") = f(3)',
    '  Messages = ""',
    '  sql = ""',
    '  nowpage = ""',
    '  totalpages = CLng(f(4))',
    '  RunConditions',
    '  RunPageNumber',
    '  RunCase = sql & vbTab & Messages & vbTab & TypeName(nowpage) & ":" & nowpage',
    'End Function',
    '',
  ].join('\r\n');
}

// Reads the program and the cases (UTF-16: Wine's cscript takes only ANSI scripts) and
// writes one line per case: name, sql, messages, page number.
const HOST = [
  'Dim fso, cases, out, line, fields, stream, control, answer',
  'Set fso = CreateObject("Scripting.FileSystemObject")',
  'Set out = fso.OpenTextFile("result.txt", 2, True, -1)',
  'Set stream = fso.OpenTextFile("program.txt", 1, False, -1)',
  'Set control = CreateObject("MSScriptControl.ScriptControl")',
  'control.Language = "VBScript"',
  'On Error Resume Next',
  'control.AddCode stream.ReadAll',
  'If Err.Number <> 0 Then out.WriteLine "setup" & vbTab & control.Error.Description & " at line " & control.Error.Line',
  'Err.Clear',
  'stream.Close',
  'Set cases = fso.OpenTextFile("cases.txt", 1, False, -1)',
  'Do While Not cases.AtEndOfStream',
  '  line = cases.ReadLine',
  '  If Len(line) > 0 Then',
  '    fields = Split(line, vbTab)',
  '    answer = control.Run("RunCase", line)',
  '    If Err.Number <> 0 Then answer = "ERROR " & Err.Description & " / " & control.Error.Description & " at line " & control.Error.Line',
  '    Err.Clear',
  '    out.WriteLine fields(0) & vbTab & answer',
  '  End If',
  'Loop',
  'out.WriteLine "done"',
  'out.Close',
  '',
].join('\r\n');

function utf16(text) {
  return Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(text.replace(/\r?\n/g, '\r\n'), 'utf16le')]);
}

function runCscript(workDir, prefix, tools) {
  return new Promise((resolve) => {
    const log = fs.openSync(path.join(workDir, 'cscript.log'), 'a');
    const child = spawn(tools.wine, ['cscript.exe', '//nologo', 'host.vbs'], {
      cwd: workDir, env: wineEnv(prefix), stdio: ['ignore', log, log],
    });
    fs.closeSync(log);
    const timer = setTimeout(() => child.kill('SIGKILL'), 120_000);
    child.on('exit', (code) => { clearTimeout(timer); resolve(code); });
    child.on('error', () => { clearTimeout(timer); resolve(-1); });
  });
}

async function runCases(site, pageFile, cases) {
  const scripts = scriptsOf(readGbk(path.join(site, 'manage', pageFile)));
  const tools = findWine();
  const prefix = defaultPrefix();
  await ensurePrefix(prefix, tools, { log: (m) => console.log(m) });
  startServer(prefix, tools);
  const workDir = fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-search-'));
  try {
    fs.writeFileSync(path.join(workDir, 'host.vbs'), HOST);
    fs.writeFileSync(path.join(workDir, 'program.txt'), utf16(program(scripts, `${skeletonFunction(site, 'Myisnumeric')}\r\n${valueChecks(site)}`)));
    const lines = cases.map((c) => [c.name, c.action ?? 'search', c.text ?? '', c.page ?? '', c.pages ?? 3].join('\t'));
    fs.writeFileSync(path.join(workDir, 'cases.txt'), utf16(lines.join('\r\n') + '\r\n'));
    const code = await runCscript(workDir, prefix, tools);
    const resultFile = path.join(workDir, 'result.txt');
    if (!fs.existsSync(resultFile)) {
      throw new Error(`cscript (status ${code}) wrote no results:\n${fs.readFileSync(path.join(workDir, 'cscript.log'), 'utf8')}`);
    }
    const results = new Map();
    if (process.env.TABULON_KEEP_SEARCH) fs.cpSync(workDir, process.env.TABULON_KEEP_SEARCH, { recursive: true });
    for (const row of fs.readFileSync(resultFile).toString('utf16le').replace(/^\ufeff/, '').split('\r\n')) {
      const [name, sql, messages, page] = row.split('\t');
      if (name === 'setup') throw new Error(`the search script does not load: ${sql}`);
      if (name && name !== 'done') results.set(name, { sql, messages, page });
    }
    return results;
  } finally {
    fs.rmSync(workDir, { recursive: true, force: true });
  }
}

const dropped = (condition) => `[查询条件[${condition.replaceAll("'", '')}]不符合要求，已被剔除！]`;

// 搜索 of the 组件 site: 名称 文本, 名称备注 备注, 数量 整型, 日期 日期时间.
const where = 'select * from [搜索] where 1 ';
const SEARCH_CASES = [
  { name: 'text', text: '名称等于午餐', sql: `${where} and [名称] = '午餐' ` },
  { name: 'text-quote', text: "名称等于O'Brien", sql: `${where} and [名称] = 'O''Brien' ` },
  { name: 'text-quote-attack', text: "名称等于x' or '1'='1", sql: `${where} and [名称] = 'x'' or ''1''=''1' ` },
  { name: 'text-control', text: '名称等于a\u0001b', sql: where, messages: dropped('名称等于a\u0001b') },
  { name: 'longest-field-wins', text: '名称备注等于甲', sql: `${where} and [名称备注] = '甲' ` },
  { name: 'text-at-most', text: '名称小于等于m', sql: `${where} and [名称] <= 'm' ` },
  { name: 'number', text: '数量大于100', sql: `${where} and [数量] > 100 ` },
  { name: 'number-at-least', text: '数量大于等于-2.5', sql: `${where} and [数量] >= -2.5 ` },
  { name: 'number-plus-exponent', text: '数量小于+1E3', sql: `${where} and [数量] < 1E3 ` },
  { name: 'number-beyond-short', text: '数量大于32768', sql: where, messages: dropped('数量大于32768') },
  { name: 'number-300-digits', text: `数量大于${'9'.repeat(300)}`, sql: where, messages: dropped(`数量大于${'9'.repeat(300)}`) },
  { name: 'number-attack', text: '数量大于1 or 1=1', sql: where, messages: dropped('数量大于1 or 1=1') },
  { name: 'number-quote-attack', text: "数量等于1' or '1'='1", sql: where, messages: dropped("数量等于1' or '1'='1") },
  { name: 'number-hex', text: '数量等于&H10', sql: where, messages: dropped('数量等于&H10') },
  { name: 'like', text: '名称近似饭', sql: `${where} and [名称] like '%饭%' ` },
  { name: 'like-attack', text: "名称近似%' or '1'='1", sql: `${where} and [名称] like '%[%]'' or ''1''=''1%' ` },
  { name: 'like-wildcards-as-typed', text: '名称近似[a]_%', sql: `${where} and [名称] like '%[[]a][_][%]%' ` },
  { name: 'like-number', text: '数量近似5', sql: where, messages: dropped('数量近似5') },
  {
    name: 'date-range', text: '日期从#2024-01-01#至#2024-01-31#',
    sql: `${where} and [日期] between #2024-01-01# and #2024-01-31# `,
  },
  {
    name: 'date-range-attack', text: '日期从#2024-01-01#至#2024-01-31# or 1=1',
    sql: where, messages: dropped('日期从#2024-01-01#至#2024-01-31# or 1=1'),
  },
  { name: 'date-range-unquoted-attack', text: '日期从1) or (1=1至2', sql: where, messages: dropped('日期从1) or (1=1至2') },
  { name: 'date-compare', text: '日期大于2024-02-03', sql: `${where} and [日期] > #2024-02-03# ` },
  { name: 'date-junk', text: '日期等于明天', sql: where, messages: dropped('日期等于明天') },
  { name: 'date-with-time', text: '日期小于2024/2/3 8:05', sql: `${where} and [日期] < #2024-02-03 08:05:00# ` },
  { name: 'date-not-in-calendar', text: '日期等于2024-02-30', sql: where, messages: dropped('日期等于2024-02-30') },
  { name: 'date-year-zero', text: '日期等于0000-01-01', sql: where, messages: dropped('日期等于0000-01-01') },
  { name: 'date-bad-time', text: '日期等于2024-01-01 24:00', sql: where, messages: dropped('日期等于2024-01-01 24:00') },
  { name: 'date-like', text: '日期近似2024', sql: `${where} and [日期] like '%2024%' ` },
  { name: 'number-range', text: '数量从1至5', sql: `${where} and [数量] between 1 and 5 ` },
  { name: 'text-range', text: "名称从a至b'c", sql: `${where} and [名称] between 'a' and 'b''c' ` },
  { name: 'field-not-first', text: '1=1 or 名称等于x', sql: where, messages: dropped('1=1 or 名称等于x') },
  { name: 'no-operator', text: '名称午餐', sql: where, messages: dropped('名称午餐') },
  {
    name: 'several', text: '数量大于100；名称近似饭；',
    sql: `${where} and [数量] > 100  and [名称] like '%饭%' `,
  },
  {
    name: 'kept-and-dropped', text: '名称等于甲；数量等于乙',
    sql: `${where} and [名称] = '甲' `, messages: dropped('数量等于乙'),
  },
  { name: 'not-a-search', action: '', text: '名称等于x', sql: 'select * from [搜索]' },
  { name: 'no-search-text', text: '', sql: 'select * from [搜索]' },
];

// Page numbers with three pages of records, then with none.
const PAGE_CASES = [
  { name: 'page-absent', page: '', expect: 1 },
  { name: 'page-two', page: '2', expect: 2 },
  { name: 'page-junk', page: 'abc', expect: 1 },
  { name: 'page-past-end', page: '99', expect: 3 },
  { name: 'page-far-past-end', page: '99999999999999999999', expect: 3 },
  { name: 'page-negative', page: '-1', expect: 1 },
  { name: 'page-zero', page: '0', expect: 1 },
  { name: 'page-fraction', page: '1.5', expect: 1 },
  { name: 'page-no-records', page: '5', pages: 0, expect: 1 },
].map((c) => ({ ...c, action: '', text: '' }));

async function main() {
  if (!findWine()) {
    console.log('SKIP: wine is not installed');
    return SKIP;
  }
  const site = path.join(runDir, '组件');
  const cases = [...SEARCH_CASES, ...PAGE_CASES];
  // 搜索 has the initials SS; its page base name is SS + its id.
  const listPage = fs.readdirSync(path.join(site, 'manage')).find((f) => /^SS\d+_List\.asp$/.test(f));
  if (!listPage) throw new Error('no list page of 搜索 (SS<id>_List.asp)');
  const results = await runCases(site, listPage, cases);
  const failed = new Set();
  const fail = (name, text) => {
    failed.add(name);
    console.log(`FAIL ${name}: ${text}`);
  };
  for (const c of SEARCH_CASES) {
    const got = results.get(c.name);
    if (!got) { fail(c.name, 'no result'); continue; }
    if (got.sql !== c.sql) fail(c.name, `sql\n  got      ${JSON.stringify(got.sql)}\n  expected ${JSON.stringify(c.sql)}`);
    if (got.messages !== (c.messages ?? '')) fail(c.name, `messages ${JSON.stringify(got.messages)}, expected ${JSON.stringify(c.messages ?? '')}`);
  }
  for (const c of PAGE_CASES) {
    const got = results.get(c.name);
    if (!got) { fail(c.name, 'no result'); continue; }
    const number = Number(got.page?.split(':')[1]);
    if (!/^(Long|Integer|Double)$/.test(got.page?.split(':')[0] ?? '') || number !== c.expect) {
      fail(c.name, `page ${JSON.stringify(got.page)} (sql ${JSON.stringify(got.sql)}), expected ${c.expect}`);
    }
  }
  console.log(`${cases.length - failed.size} of ${cases.length} cases pass`);
  return failed.size === 0 ? 0 : 1;
}

process.exit(await main());
