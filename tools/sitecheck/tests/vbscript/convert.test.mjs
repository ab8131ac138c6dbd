// The ASP -> VBScript conversion behind vbscheck, checked without Wine.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { decodePage, expandIncludes, splitAsp, stripServerBlocks } from '../../lib/asp.mjs';
import { CaseInsensitiveFs } from '../../lib/paths.mjs';
import { buildProgram, maskLine, rewriteClassMember, rewriteEnd, scanBlocks } from '../../lib/vbs.mjs';

function tree(files) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vbsconv-'));
  for (const [name, text] of Object.entries(files)) {
    const p = path.join(dir, name);
    fs.mkdirSync(path.dirname(p), { recursive: true });
    fs.writeFileSync(p, Buffer.isBuffer(text) ? text : Buffer.from(text, 'latin1'));
  }
  return dir;
}

/** For each program line: "file:line" it maps back to. */
function origins(built, dir) {
  return built.lines.map((l) => {
    const o = built.map.origin(l.offset);
    return `${path.relative(dir, o.file)}:${o.line}`;
  });
}

test('GBK bytes decode, a UTF-8 byte-order mark wins', () => {
  assert.equal(decodePage(Buffer.from([0xbc, 0xc7, 0xd5, 0xcb])), '记账');
  assert.equal(decodePage(Buffer.from([0xef, 0xbb, 0xbf, 0xe8, 0xae, 0xb0])), '记');
});

test('includes resolve without regard to case, relative to the including file', () => {
  const dir = tree({
    'Manage/Page.asp': 'a\r\n<!-- #include file="CONN.asp" -->\r\nb\r\n<!--#INCLUDE FILE="../inc/FN.asp"-->',
    'Manage/Conn.asp': 'c1\r\nc2',
    'Inc/fn.ASP': 'f1',
  });
  const page = new CaseInsensitiveFs().resolve(dir, 'manage/page.asp');
  assert.ok(page, 'page found case-insensitively');
  const r = expandIncludes(page, { root: dir });
  assert.deepEqual(r.errors, []);
  assert.equal(r.text, 'a\r\nc1\r\nc2\r\nb\r\nf1');
  const at = (s) => {
    const o = r.map.origin(r.text.indexOf(s));
    return [path.relative(dir, o.file).toLowerCase(), o.line, o.chain.map((c) => c.line)];
  };
  assert.deepEqual(at('a'), ['manage/page.asp', 1, []]);
  assert.deepEqual(at('c2'), ['manage/conn.asp', 2, [2]]);
  assert.deepEqual(at('b'), ['manage/page.asp', 3, []]);
  assert.deepEqual(at('f1'), ['inc/fn.asp', 1, [4]]);
});

test('virtual includes start at the site root; missing and cyclic includes are errors with their line', () => {
  const dir = tree({
    'a/p.asp': 'x\r\n<!--#include virtual="/inc/v.asp"-->\r\n<!--#include file="gone.asp"-->\r\n<!--#include file="self.asp"-->',
    'a/self.asp': '<!--#include file="self.asp"-->',
    'inc/v.asp': 'v',
  });
  const r = expandIncludes(path.join(dir, 'a/p.asp'), { root: dir });
  assert.match(r.text, /^x\r\nv\r\n/);
  const msgs = r.errors.map((e) => `${path.basename(e.file)}:${e.line}:${e.message.split(':')[0]}`);
  assert.deepEqual(msgs, ['p.asp:3:missing include', 'self.asp:1:include cycle']);
});

test('ASP text splits into literal text, code, expressions, directives and server scripts', () => {
  const text = '<%@ LANGUAGE="VBSCRIPT" %>t1<% a = "%" %>t2<%= b %><script runat="server" language="vbscript">c</script>' +
    '<script>var q="<%= d %>"</script><script language="JScript" runat=server>j</script>';
  const { segments, errors } = splitAsp(text);
  assert.deepEqual(errors, []);
  assert.deepEqual(segments.map((s) => `${s.kind}:${text.slice(s.contentStart, s.contentEnd)}`), [
    'directive: LANGUAGE="VBSCRIPT" ', 'text:t1', 'code: a = "%" ', 'text:t2', 'expr: b ', 'script:c',
    'text:<script>var q="', 'expr: d ', 'text:"</script>', 'script:j',
  ]);
  assert.equal(segments[0].attrs.language, 'VBSCRIPT');
  assert.equal(segments.at(-1).language, 'jscript');
  assert.equal(splitAsp('a<% b').errors.length, 1);
});

test('.End is renamed outside strings and comments only', () => {
  assert.equal(rewriteEnd('Response.End'), 'Response.End_');
  assert.equal(rewriteEnd('If x Then response.end() : y = ".End" \' .End'), 'If x Then response.end_() : y = ".End" \' .End');
  assert.equal(rewriteEnd('x.EndDate = .End'), 'x.EndDate = .End_');
  assert.equal(maskLine('a = "b:c" : Rem d'), 'a = "   " :      ');
  assert.equal(maskLine('d = #10:30# \' e'), 'd = #     #    ');
});

test('class members Wine refuses are split the way Windows reads them', () => {
  assert.equal(rewriteClassMember('  Public a, b'), '  Public a : Public b');
  assert.equal(rewriteClassMember('Private arr(3), n'), 'Dim arr(3) : Private n');
  assert.equal(rewriteClassMember('Public a'), null);
  assert.equal(rewriteClassMember('Dim a(2)'), null);
  assert.equal(rewriteClassMember('Public Sub X(a, b)'), null);
  assert.equal(rewriteClassMember('Public Default Function F(a, b)'), null);
  const s = scanBlocks(['Class C', "  Public a, b ' c", '  Sub S(a, b)', '    Dim x, y', '  End Sub', 'End Class', 'Public p, q']);
  assert.deepEqual([...s.rewrites], [[1, "  Public a : Public b ' c"]]);
});

test('block scan names unclosed blocks and declarations inside other blocks', () => {
  const s = scanBlocks([
    'Sub A', 'If x Then y = 1', 'If x Then : y = 1', 'If x Then \' block', 'For i = 1 To 2 : Next',
    'Do While x', 'Loop', 'Select Case x', 'Case 1', 'End Select', 'With y', 'End With', 'Sub B', 'End Sub',
  ]);
  assert.deepEqual(s.unclosed.map((u) => `${u.kind}@${u.line}`), ['sub@0', 'if@3']);
  assert.deepEqual(s.misnested.map((m) => `${m.kind}@${m.line} in ${m.inside.kind}@${m.inside.line}`), ['sub@12 in if@3']);
  const ok = scanBlocks(['Class C', 'Public Property Get P', 'End Property', 'End Class', 'Function F _', '  (a)', 'End Function']);
  assert.deepEqual(ok.unclosed, []);
  assert.deepEqual(ok.misnested, []);
});

test('names declared twice in one scope are found, each scope on its own', () => {
  const s = scanBlocks([
    'Dim a, b(3)', 'Const C = 1, D = "x,y"', 'Sub F(ByVal a, b)', '  Dim b', '  Dim a2', 'End Sub',
    'Function f()', 'End Function', 'Class K', '  Public a, b', '  Property Get P', '  End Property',
    '  Property Let P(v)', '  End Property', '  Property Get P', '  End Property', 'End Class', 'Dim c',
  ]);
  assert.deepEqual(s.redefined.map((d) => `${d.name}@${d.line} first@${d.first}`), ['b@3 first@2', 'f@6 first@2', 'P@14 first@10', 'c@17 first@1']);
});

test('a page becomes one program whose lines map back to page and include lines', () => {
  const dir = tree({
    'p.asp': '<%@ LANGUAGE="VBSCRIPT" %>\r\n<% Option Explicit %>\r\n<!-- #include file="i.asp" -->\r\n<td>"q"<%= a %></td>\r\n<% If a Then %>y<% End If\r\nResponse.End %>',
    'i.asp': '<%\r\nClass K\r\nPublic m, n\r\nEnd Class\r\n%>',
  });
  const b = buildProgram(path.join(dir, 'p.asp'));
  assert.deepEqual(b.header, ['Option Explicit', 'Err.Raise 32123']);
  assert.deepEqual(b.lines.map((l) => l.code), [
    'Response.Write vbCrLf', '                 ', 'Response.Write vbCrLf',
    '', 'Class K', 'Public m : Public n', 'End Class', '',
    'Response.Write vbCrLf', 'Response.Write "<td>""q"""', 'Response.Write (a)', 'Response.Write "</td>" & vbCrLf',
    ' If a Then ', 'Response.Write "y"', ' End If', 'Response.End_ ',
  ]);
  assert.deepEqual(origins(b, dir), [
    'p.asp:1', 'p.asp:2', 'p.asp:2', 'i.asp:1', 'i.asp:2', 'i.asp:3', 'i.asp:4', 'i.asp:5',
    'p.asp:3', 'p.asp:4', 'p.asp:4', 'p.asp:4', 'p.asp:5', 'p.asp:5', 'p.asp:5', 'p.asp:6',
  ]);
  assert.equal(b.program.split('\r\n').length, b.header.length + b.lines.length + 1);
});

test('Option Explicit after page text stays in place (and so fails, as on IIS)', () => {
  const dir = tree({ 'p.asp': '<p>x</p>\r\n<% Option Explicit %>' });
  const b = buildProgram(path.join(dir, 'p.asp'));
  assert.deepEqual(b.header, ['Err.Raise 32123']);
  assert.ok(b.lines.some((l) => /Option Explicit/.test(l.code)));
});

test('stripServerBlocks leaves what a browser would get from a page that ran no code', () => {
  const page = Buffer.concat([
    Buffer.from('<!--#include file="conn.asp"-->\r\n<% x = 1 %><input value="<%= x %>">', 'latin1'),
    Buffer.from([0xc3, 0xfb]), // 名
    Buffer.from('<%= y %><script runat="server">Sub Z() : End Sub</script>', 'latin1'),
  ]);
  assert.equal(stripServerBlocks(page), '\r\n<input value="">名');
  assert.equal(stripServerBlocks(page, { value: (e, i) => `[${e}${i}]` }), '\r\n<input value="[x0]">名[y1]');
});
