import crypto from 'node:crypto';
// The login page, top bar, left menu and default account as the command line writes
// them from the default templates, for a design whose login table is not the sample's:
// 管理员 with the columns 账号 and 密码, three tables, one of them named in Latin letters.
//   node login_pages.mjs <tabulon> <site_design>
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { addDesign, buildSite, DIARY, makeRun, mdbRows, readPage, tabulon } from './lib/site.mjs';

const [exe, siteDesign] = process.argv.slice(2);
const run = makeRun(exe);

function escapeRe(text) {
  return text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
}

try {
  const design = addDesign(siteDesign, run.runDir, DIARY);
  const siteDir = buildSite(exe, run.runDir, design.project);
  const index = readPage(path.join(siteDir, 'index.asp'));
  const top = readPage(path.join(siteDir, 'top.asp'));
  const menu = readPage(path.join(siteDir, 'menu.asp'));
  const tableIds = DIARY.tables.map((t) => design.tables[t.name]);

  await test('index.asp finds the account by 账号 in its own table, compares the digest in the page and logs into the session', () => {
    const query = index.match(/^\s*sql\s*=\s*"select \* from (\S+) where \((\S+?)='"&(\w+)&"'\)"\s*$/m);
    assert.ok(query, 'no login query of the expected form');
    assert.deepEqual([query[1], query[2]], ['[管理员]', '[账号]'], 'names in brackets: a login table may be called user');
    assert.ok(!/密码\s*=\s*'/.test(index), 'the password must not be compared inside the query');
    assert.match(index, /PasswordMatches\(rs\("密码"\) & "", inPass\)/);
    assert.match(index, /rs\("密码"\) = PasswordHash\(inPass\)/, 'a plain-text password is upgraded to its digest');
    assert.match(index, /^\s*SiteLogin rs\("id"\), rs\("账号"\)\s*$/m);
    assert.match(index, /SiteAccountLocked\(lockName\)/);
    assert.match(index, /^SiteUseAccounts "管理员", "账号", "密码"\s*$/m, 'every page checks the account in this table');
    for (const left of ['* from login', ' where (username=', 'and pwd=', 'rs("username")', 'rs("pwd")']) {
      assert.ok(!index.includes(left), `the template's own text is left: ${left}`);
    }
    // The form and the cookie keep their names.
    assert.match(index, /<input[^>]+name="username"/);
    assert.match(index, /<input[^>]+type="password"[^>]+name="pwd"|<input[^>]+name="pwd"[^>]+type="password"/);
    assert.match(index, /<form[^>]+method="post"[^>]+action="index\.asp"/i);
  });

  await test('the typed name reaches the query only with its quotes doubled, after the lock and the verification code', () => {
    const lines = index.split('\r\n');
    const sqlLine = lines.findIndex((l) => /^\s*sql\s*=\s*"select \* from \[管理员\]/.test(l));
    assert.ok(sqlLine > 0);
    const names = [...lines[sqlLine].matchAll(/'"&(\w+)&"'/g)].map((m) => m[1]);
    assert.equal(names.length, 1);
    for (const name of names) {
      const n = escapeRe(name);
      const doubled = new RegExp(`^\\s*${n}\\s*=\\s*replace\\(\\s*${n}\\s*,\\s*"'"\\s*,\\s*"''"\\s*\\)\\s*$`, 'i');
      const at = lines.findIndex((l) => doubled.test(l));
      assert.ok(at >= 0 && at < sqlLine, `${name} is not doubled before the query`);
      const again = new RegExp(`^\\s*${n}\\s*=`, 'i');
      assert.ok(!lines.slice(at + 1, sqlLine).some((l) => again.test(l)), `${name} is set again after doubling`);
    }
    const verify = lines.findIndex((l) => /CheckVerifyCode\(/i.test(l));
    const locked = lines.findIndex((l) => /SiteAccountLocked\(/i.test(l));
    assert.ok(verify >= 0 && verify < sqlLine, 'the verification code is not checked before the query');
    assert.ok(locked >= 0 && locked < verify, 'a locked login is refused before anything else');
  });

  await test('the verification code image and the check read one Session value', () => {
    assert.match(index, /<img[^>]+src="inc\/verifycode\.asp"/);
    assert.match(index, /<!--#include file="conn\.asp"-->/);
    assert.match(index, /<!--#include file="inc\/function\.asp"-->/);
    const image = readPage(path.join(siteDir, 'inc', 'verifycode.asp'));
    const functions = readPage(path.join(siteDir, 'inc', 'function.asp'));
    const written = [...image.matchAll(/Session\("([^"]+)"\)\s*=/g)].map((m) => m[1]);
    assert.equal(new Set(written).size, 1, `verifycode.asp sets ${written.join(', ')}`);
    const checkBody = functions.match(/Function CheckVerifyCode\(([\s\S]*?)End Function/i);
    assert.ok(checkBody, 'inc/function.asp has no CheckVerifyCode');
    assert.ok(checkBody[1].includes(`Session("${written[0]}")`), `CheckVerifyCode does not read Session("${written[0]}")`);
  });

  await test('top.asp has one tab per table, in the design order, each opening an existing list page', () => {
    const tabs = [...top.matchAll(/<div id="T(\d+)" class="menu"><a href="manage\/(\w+)_List\.asp" target="right">([^<]*)<\/a><\/div>/g)];
    assert.deepEqual(tabs.map((t) => Number(t[1])), tableIds);
    assert.deepEqual(tabs.map((t) => t[3]), DIARY.tables.map((t) => t.name));
    for (const t of tabs) assert.ok(fs.existsSync(path.join(siteDir, 'manage', `${t[2]}_List.asp`)), `${t[2]}_List.asp`);
    assert.equal(tabs[2][2], String(design.tables.Notes), 'a Latin-named table links by its id alone');
    // The tab bar is a row of cells that all close, and the page ends after it.
    assert.equal((top.match(/<td\b/gi) ?? []).length, (top.match(/<\/td>/gi) ?? []).length);
    assert.equal((top.match(/<table\b/gi) ?? []).length, (top.match(/<\/table>/gi) ?? []).length);
    assert.match(top, /<\/BODY><\/HTML>\r\n$/);
  });

  await test('menu.asp has groups g_1 to g_3 with add and list links, and its loops stop at 3', () => {
    for (let k = 1; k <= 3; k++) {
      assert.ok(menu.includes(`onClick="collapse('g_${k}')"`), `no header of g_${k}`);
      assert.ok(menu.includes(`<td id="g_${k}">`), `no group g_${k}`);
    }
    assert.ok(!menu.includes("'g_4'") && !menu.includes('"g_4"'));
    const loops = [...menu.matchAll(/for \(var i=1; i<(=?)(\d+); i\+\+\)/g)];
    assert.ok(loops.length >= 2, 'the collapse-all and expand-all loops');
    assert.deepEqual(loops.map((l) => l[1] + l[2]), loops.map(() => '=3'));
    const links = [...menu.matchAll(/parent\.right\.location\.href='manage\/(\w+)_(Add|List)\.asp'/g)];
    assert.equal(links.length, 6);
    for (const l of links) assert.ok(fs.existsSync(path.join(siteDir, 'manage', `${l[1]}_${l[2]}.asp`)), l[0]);
    assert.equal((menu.match(/<table\b/gi) ?? []).length, (menu.match(/<\/table>/gi) ?? []).length);
    assert.equal((menu.match(/<tr\b/gi) ?? []).length, (menu.match(/<\/tr>/gi) ?? []).length);
  });

  await test('the default account is stored once, its password as a salted digest of vokra, read back by mdbtools', () => {
    const mdb = path.join(siteDir, 'data', 'data.mdb');
    const first = mdbRows(mdb, '管理员');
    assert.ok(first.columns.includes('账号') && first.columns.includes('密码'), first.columns.join(','));
    assert.equal(first.rows.length, 1);
    const stored = first.rows[0]['密码'];
    // "$p" rounds "$" salt(22) PBKDF2-HMAC-SHA256(password, salt, rounds)[0..16] in Base64.
    const parts = /^\$p([1-9][0-9]*)\$([A-Za-z0-9+/]{22})([A-Za-z0-9+/]{22})$/.exec(stored);
    assert.ok(parts, `not a digest: ${stored}`);
    const expected = crypto.pbkdf2Sync('vokra', parts[2], Number(parts[1]), 16, 'sha256').toString('base64').replace(/=+$/, '');
    assert.equal(parts[3], expected);
    const said = tabulon(exe, run.runDir, 'login', design.project);
    assert.match(said, /登陆生成完毕/);
    const second = mdbRows(mdb, '管理员');
    assert.deepEqual(second.rows.map((r) => [r['账号'], r['密码']]), [['vokra', stored]], 'a second run adds nothing');
    assert.deepEqual(second.rows, first.rows);
    // Regenerating the database carries the account; the login step still adds none.
    assert.match(tabulon(exe, run.runDir, 'database', design.project), /表 管理员：带入 1 行。/);
    tabulon(exe, run.runDir, 'login', design.project);
    assert.deepEqual(mdbRows(mdb, '管理员').rows, first.rows);
  });
} finally {
  run.cleanup();
}
