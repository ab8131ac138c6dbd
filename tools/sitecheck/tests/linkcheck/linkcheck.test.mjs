// linkcheck on fixture trees: a site whose links all resolve passes; in a
// site with broken links exactly the lines marked BROKEN are reported; and
// removing files from the good site makes exactly the links to them break,
// which proves those links were looked at (and from the right folder).
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { decodePage } from '../../lib/asp.mjs';
import { walkFiles } from '../../lib/paths.mjs';
import { checkSite, linkPath } from '../../linkcheck.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixtures = path.join(here, 'fixtures');
const tool = path.join(here, '..', '..', 'linkcheck.mjs');

function reported(root) {
  return checkSite(root).broken.map((b) => `${path.relative(root, b.file)}:${b.line}`).sort();
}

function copyTree(from) {
  const to = fs.mkdtempSync(path.join(os.tmpdir(), 'linkcheck-'));
  fs.cpSync(from, to, { recursive: true });
  return to;
}

test('the command exits 0 on a site whose links all resolve, 1 with file:line on broken ones', () => {
  const good = spawnSync(process.execPath, [tool, path.join(fixtures, 'good')], { encoding: 'utf8' });
  assert.equal(good.status, 0, good.stdout + good.stderr);
  assert.match(good.stdout, /, 0 broken$/m);
  const bad = spawnSync(process.execPath, [tool, 'bad'], { cwd: fixtures, encoding: 'utf8' });
  assert.equal(bad.status, 1, bad.stdout + bad.stderr);
  assert.match(bad.stdout, /^bad\/index\.asp:19: broken link action "post\/save\.asp"$/m);
  assert.match(bad.stdout, /^bad\/inc\/part\.asp:1: broken link href "part_sibling\.asp" \(resolved from bad\/manage\/, /m);
  const usage = spawnSync(process.execPath, [tool], { encoding: 'utf8' });
  assert.equal(usage.status, 2);
});

test('exactly the lines marked BROKEN are reported', () => {
  const root = path.join(fixtures, 'bad');
  const marked = walkFiles(root, () => true)
    .filter((f) => /\.(asp|css|js|html?)$/i.test(f))
    .flatMap((f) => decodePage(fs.readFileSync(f)).split('\r\n')
      .flatMap((l, i) => (l.includes('BROKEN') ? [`${path.relative(root, f)}:${i + 1}`] : [])))
    .sort();
  assert.ok(marked.length >= 10);
  assert.deepEqual(reported(root), marked);
});

test('removing linked files breaks exactly the links to them', () => {
  const cases = [
    // frame src, and a script's navigation read from the folder of the page that loads it
    ['desk.asp', ['js/util.js:2', 'main.asp:6']],
    // body background, inline style url(), and the style sheet's own url() (from css/)
    ['images/bg.gif', ['css/style.css:2', 'index.asp:12', 'index.asp:21']],
    // a link in an include, resolved from the including page's folder (manage/)
    ['manage/X_Add.asp', ['inc/top.asp:1', 'manage/X_List.asp:6']],
    // a Chinese file name, written plainly and %-escaped as GBK, on one line
    ['帮助.htm', ['index.asp:19', 'index.asp:19']],
    // Response.Redirect, a location assignment, a redirect helper call
    ['main.asp', ['check.asp:1', 'index.asp:20', 'index.asp:3']],
    // (inc/top.asp, included by nobody now, is read from its own folder)
    ['manage/X_List.asp', ['inc/top.asp:1', 'index.asp:18', 'index.asp:4', 'manage/X_Add.asp:1', 'manage/X_Delete.asp:1', 'menu.asp:1']],
    // include file= relative to the includer, include virtual= from the site root
    ['conn.asp', ['index.asp:1', 'manage/X_List.asp:1']],
    ['inc/top.asp', ['manage/X_List.asp:2']],
    // @import, form action, frame src spelled in another case, a folder link
    ['css/base.css', ['css/style.css:1']],
    ['check.asp', ['index.asp:14']],
    ['menu.asp', ['main.asp:5']],
    ['manage', ['inc/top.asp:1', 'index.asp:18', 'index.asp:19', 'index.asp:4', 'js/util.js:3', 'menu.asp:1']],
  ];
  for (const [removed, expected] of cases) {
    const root = copyTree(path.join(fixtures, 'good'));
    try {
      assert.deepEqual(reported(root), [], 'the copy starts clean');
      fs.rmSync(path.join(root, removed), { recursive: true });
      assert.deepEqual(reported(root), [...expected].sort(), `after removing ${removed}`);
    } finally {
      fs.rmSync(root, { recursive: true, force: true });
    }
  }
});

test('which targets are checked and which are left alone', () => {
  assert.equal(linkPath('X_List.asp?ID=<%=rs("id")%>'), 'X_List.asp');
  assert.equal(linkPath('../css/a.css#x'), '../css/a.css');
  assert.equal(linkPath('%B0%EF%D6%FA.htm'), '帮助.htm');
  for (const t of ['', '#top', 'javascript:void(0)', 'JavaScript:go()', 'mailto:a@b', 'http://x/y.asp', 'https://x', '//cdn/x.js',
    'data:image/gif;base64,R0l', '<%=url%>', "' + page + '", '" & url & "', '?action=add', 'a${b}.asp']) {
    assert.equal(linkPath(t), null, t);
  }
});
