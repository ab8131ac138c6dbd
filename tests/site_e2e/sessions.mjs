// Sessions, accounts and answers of the generated sample site 记账 under `tabulon serve`,
// visited the way an attacker would: a session id planted before the victim logs in, forged
// tokens, password guessing across accounts and restarts, accounts deleted or changed under
// a live session, two accounts interleaved, the headers and the files the server gives out.
//   node sessions.mjs <tabulon>
// Exit 77 (skipped) when Wine or the preview's host program is missing.
import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { findWine } from '../../tools/sitecheck/lib/wine.mjs';
import { findWorkingCopy } from '../e2e/lib/preview.mjs';
import { execute, query, sqliteMissing } from '../e2e/lib/workcopy.mjs';
import { buildSite, makeRun, SAMPLE_PROJECT } from '../site/lib/site.mjs';
import { alerts, CHANGED_DEFAULT_PASSWORD, defaultPasswordChanged, Visitor } from './lib/client.mjs';
import { serve } from './lib/serve.mjs';

const [exe] = process.argv.slice(2);
const host = path.join(path.dirname(exe), 'preview', 'host', 'asphost.exe');
if (!findWine() || !fs.existsSync(host) || sqliteMissing()) {
  console.log(`SKIP: needs wine, wine64, sqlite3 and ${host}`);
  process.exit(77);
}

const USERS = 'YH24';  // 用户: S_1 密码, S_2 姓名, S_3 帐号
const LOCKED = ['连续 5 次登录失败，请 15 分钟后再试！'];
const WRONG = ['用户名或密码错误！'];
const refused = (page) => /没有权限，请重新登陆/.test(page.body) || /index\.asp/.test(page.headers.location ?? '');
const sentAway = (page) => refused(page) || /top\.location\.href='[^']*(index|password)\.asp'/.test(page.body);
const listedIds = (body) => [...body.matchAll(new RegExp(`${USERS}_Modify\\.asp\\?ID=(\\d+)`, 'g'))].map((m) => Number(m[1]));

/** Whether `digest` is the site's PBKDF2 digest of `password`. */
function digestOf(digest, password) {
  const parts = /^\$p([1-9][0-9]*)\$([A-Za-z0-9+/]{22})([A-Za-z0-9+/]{22})$/.exec(digest ?? '');
  if (!parts) return false;
  return crypto.pbkdf2Sync(password, parts[2], Number(parts[1]), 16, 'sha256').toString('base64').replace(/=+$/, '') === parts[3];
}

/**
 * Whether VBScript's Rnd (a 24-bit LCG: x = (x * &H43FD43FD + &HC39EC3) mod 2^24, each
 * Int(Rnd * 16) its top four bits) can have written the hex digits of `token` from any state.
 */
function rndCouldWrite(token) {
  const digits = [...token].map((c) => parseInt(c, 16));
  for (let low = 0; low < 1 << 20; low++) {
    let x = (digits[0] << 20) | low;
    let i = 1;
    for (; i < digits.length; i++) {
      x = Number((BigInt(x) * 0x43fd43fdn + 0xc39ec3n) & 0xffffffn);
      if (x >>> 20 !== digits[i]) break;
    }
    if (i === digits.length) return true;
  }
  return false;
}

const run = makeRun(exe);
let server = null;
try {
  const siteDir = buildSite(exe, run.runDir, SAMPLE_PROJECT);
  fs.writeFileSync(path.join(siteDir, 'data', 'notes.txt'), 'not for the web');
  server = await serve(exe, run.runDir, SAMPLE_PROJECT);
  const workingCopy = findWorkingCopy(run.runDir);
  const stored = (name) => query(workingCopy, `SELECT "密码" AS p FROM "用户" WHERE "帐号" = '${name}'`)[0]?.p;

  const admin = new Visitor(server.url);

  await test('the default account gets a new password at its first login before any other page opens', async () => {
    const first = await admin.logIn('vokra', 'vokra');
    assert.equal(first.status, 302, first.body.slice(0, 300));
    assert.match(first.headers.location, /password\.asp/);
    const list = await admin.get(`/manage/${USERS}_List.asp`);
    assert.deepEqual(alerts(list.body), ['请先修改默认帐号的口令']);
    assert.deepEqual(listedIds(list.body), []);
    assert.match((await admin.get('/main.asp')).headers.location ?? '', /index\.asp/);
    for (const page of ['/menu.asp', '/desk.asp']) assert.ok(sentAway(await admin.get(page)), `${page} opens before the password is changed`);

    const token = await admin.token('/password.asp');
    const change = async (fields) => alerts((await admin.post('/password.asp', { action: 'password', ...fields })).body);
    assert.match((await change({ pwd1: 'x1', pwd2: 'x1' })).join(), /没有做任何修改/, 'a post without the token');
    assert.deepEqual(await change({ pwd1: 'vokra', pwd2: 'vokra', kovel_token: token }), ['新密码不能是默认密码！']);
    assert.deepEqual(await change({ pwd1: 'a1', pwd2: 'a2', kovel_token: token }), ['两次输入的新密码不一样！']);
    assert.deepEqual(await change({ pwd1: 'x'.repeat(51), pwd2: 'x'.repeat(51), kovel_token: token }), ['密码最多 50 个字！']);
    assert.deepEqual(alerts((await admin.get(`/manage/${USERS}_List.asp`)).body), ['请先修改默认帐号的口令'], 'refused changes leave the lock on');
    assert.deepEqual(await change({ pwd1: CHANGED_DEFAULT_PASSWORD, pwd2: CHANGED_DEFAULT_PASSWORD, kovel_token: token }), ['密码已修改']);
    defaultPasswordChanged(server.url);
    assert.deepEqual(alerts((await admin.get(`/manage/${USERS}_List.asp`)).body), [], 'the list opens once the password is changed');
    assert.ok(digestOf(stored('vokra'), CHANGED_DEFAULT_PASSWORD), `stored as its PBKDF2 digest: ${stored('vokra')}`);
    assert.deepEqual(alerts((await new Visitor(server.url).logIn('vokra', 'vokra')).body), WRONG, 'the default password is gone');
    // Later logins go straight to the frame set.
    const again = await new Visitor(server.url).logInAsDefault();
    assert.match(again.headers.location ?? '', /main\.asp/);
  });

  await test('a session id planted before the login reaches nothing afterwards; the secret is new at every login', async () => {
    const attacker = new Visitor(server.url);
    await attacker.get('/index.asp');
    assert.ok(attacker.cookies.size > 0, 'the server gave the attacker a session');
    const victim = new Visitor(server.url);
    for (const [k, v] of attacker.cookies) victim.cookies.set(k, v);
    assert.equal((await victim.logInAsDefault()).status, 302);
    assert.ok(!refused(await victim.get(`/manage/${USERS}_List.asp`)), 'the victim is in');
    assert.ok(refused(await attacker.get(`/manage/${USERS}_List.asp`)), 'the planted session id alone reaches nothing');
    attacker.cookies.set('kovel_secret', '0'.repeat(32));
    attacker.cookies.set('kovel_username', 'vokra');
    assert.ok(refused(await attacker.get('/main.asp')), 'nor with a guessed secret');
    const secret = victim.cookies.get('kovel_secret');
    assert.match(secret, /^[0-9a-f]{32}$/);
    await victim.logInAsDefault();
    assert.notEqual(victim.cookies.get('kovel_secret'), secret);
  });

  await test('cookies are HttpOnly and SameSite=Lax; answers carry the frame, type and content policies; data/ is not served', async () => {
    const visitor = new Visitor(server.url);
    await visitor.get('/inc/verifycode.asp');
    const code = (await visitor.get('/__tabulon/session/verifycode')).body.trim();
    const answer = await visitor.post('/index.asp', { action: 'login', username: 'vokra', pwd: CHANGED_DEFAULT_PASSWORD, verifycode: code });
    const cookies = [answer.headers['set-cookie'] ?? []].flat().filter((c) => /^kovel_/i.test(c));
    assert.deepEqual(cookies.map((c) => c.split('=')[0]).sort(), ['kovel_secret', 'kovel_username']);
    for (const cookie of cookies) assert.match(cookie, /; HttpOnly; SameSite=Lax$/, cookie);
    const token = await visitor.token('/exit.asp');
    const out = await visitor.post('/exit.asp', { kovel_token: token });
    for (const cookie of [out.headers['set-cookie'] ?? []].flat().filter((c) => /^kovel_/i.test(c))) assert.match(cookie, /HttpOnly; SameSite=Lax/, cookie);
    for (const page of ['/index.asp', `/manage/${USERS}_List.asp`, '/style/style.css', '/nothing-here.asp']) {
      const headers = (await visitor.get(page)).headers;
      assert.equal(headers['x-frame-options'], 'SAMEORIGIN', page);
      assert.equal(headers['x-content-type-options'], 'nosniff', page);
      assert.match(headers['content-security-policy'] ?? '', /default-src 'self'.*object-src 'none'.*frame-ancestors 'self'/, page);
    }
    for (const file of ['/data/notes.txt', '/DATA/Notes.TXT', '/data/', '/data/data.mdb']) {
      const got = await visitor.get(file);
      assert.equal(got.status, 404, `${file}: ${got.status}`);
      assert.ok(!got.body.includes('not for the web'), file);
    }
  });

  await test('form tokens are 128 random bits that no state of VBScript\'s Rnd can write', async () => {
    const tokens = [];
    for (let i = 0; i < 6; i++) {
      const visitor = new Visitor(server.url);
      await visitor.logInAsDefault();
      tokens.push(await visitor.token(`/manage/${USERS}_Add.asp`));
    }
    for (const token of tokens) {
      assert.match(token, /^[0-9a-f]{32}$/);
      assert.equal(rndCouldWrite(token), false, `${token} fits VBScript's 24-bit Rnd`);
    }
    assert.equal(new Set(tokens).size, tokens.length);
  });

  // Accounts for the rest, added through the page (stored as digests, names checked).
  const token = await admin.token(`/manage/${USERS}_Add.asp`);
  const addAccount = (name, password) => admin.post(`/manage/${USERS}_Add.asp`, { S_1: password, S_2: name, S_3: name, action: 'add', kovel_token: token });
  const idOf = (name) => query(workingCopy, `SELECT id FROM "用户" WHERE "帐号" = '${name}'`)[0]?.id;

  await test('a second account whose name is taken, in any letter case, is refused on add and on modify', async () => {
    for (const name of ['alice', 'bob', 'carol', 'dave']) assert.deepEqual(alerts((await addAccount(name, `${name}-pw`)).body), ['添加记录成功'], name);
    for (const name of ['ALICE', ' Alice ', 'vokra', 'VOKRA']) {
      const said = alerts((await addAccount(name, 'x')).body);
      assert.equal(said.length, 1, `${name}: ${said}`);
      assert.match(said[0], /^帐号“.+”已经有了（帐号名不分大小写），没有保存$/, name);
    }
    assert.equal(query(workingCopy, `SELECT count(*) AS n FROM "用户" WHERE lower(trim("帐号")) = 'alice'`)[0].n, 1);
    const renamed = await admin.post(`/manage/${USERS}_Modify.asp`, { ID: String(idOf('bob')), S_1: '', S_2: 'bob', S_3: 'Alice', action: 'modify', kovel_token: token });
    assert.match(alerts(renamed.body).join(), /已经有了/);
    const kept = await admin.post(`/manage/${USERS}_Modify.asp`, { ID: String(idOf('bob')), S_1: '', S_2: 'Bob', S_3: 'BOB', action: 'modify', kovel_token: token });
    assert.deepEqual(alerts(kept.body), ['修改成功'], 'an account keeps its own name in another case');
    assert.ok(digestOf(stored('alice'), 'alice-pw'), 'added accounts are stored as digests');
  });

  await test('two accounts interleaved: each session sees its own account and logging one out leaves the other', async () => {
    const a = new Visitor(server.url);
    const b = new Visitor(server.url);
    assert.equal((await a.logIn('alice', 'alice-pw')).status, 302);
    assert.equal((await b.logIn('carol', 'carol-pw')).status, 302);
    assert.match((await a.get('/main.asp')).body, /<title>后台管理系统 - alice<\/title>/);
    assert.match((await b.get('/main.asp')).body, /<title>后台管理系统 - carol<\/title>/);
    // b logs in again as another account in the same session: a is untouched.
    assert.equal((await b.logIn('dave', 'dave-pw')).status, 302);
    assert.match((await b.get('/main.asp')).body, /- dave<\/title>/);
    assert.match((await a.get('/main.asp')).body, /- alice<\/title>/);
    const out = await a.token('/exit.asp');
    await a.post('/exit.asp', { kovel_token: out });
    assert.ok(refused(await a.get(`/manage/${USERS}_List.asp`)));
    assert.ok(!refused(await b.get(`/manage/${USERS}_List.asp`)), 'the other session goes on');
    // A token of one session is no good in the other.
    const bToken = await b.token(`/manage/${USERS}_Add.asp`);
    await a.logIn('alice', 'alice-pw');
    assert.match(alerts((await a.post(`/manage/${USERS}_Add.asp`, { S_1: 'p', S_2: 'x', S_3: 'eve', action: 'add', kovel_token: bToken })).body).join(), /没有做任何修改/);
  });

  await test('a session whose account was deleted or whose password changed reaches nothing', async () => {
    const carol = new Visitor(server.url);
    const dave = new Visitor(server.url);
    assert.equal((await carol.logIn('carol', 'carol-pw')).status, 302);
    assert.equal((await dave.logIn('dave', 'dave-pw')).status, 302);
    const deleted = await admin.post(`/manage/${USERS}_Delete.asp?action=Delete`, { ID: String(idOf('carol')), kovel_token: token });
    assert.deepEqual(alerts(deleted.body), ['删除成功']);
    assert.ok(refused(await carol.get(`/manage/${USERS}_List.asp`)), 'the deleted account');
    assert.ok(refused(await carol.get('/main.asp')));
    const changed = await admin.post(`/manage/${USERS}_Modify.asp`, { ID: String(idOf('dave')), S_1: 'dave-new', S_2: 'dave', S_3: 'dave', action: 'modify', kovel_token: token });
    assert.deepEqual(alerts(changed.body), ['修改成功']);
    assert.ok(refused(await dave.get(`/manage/${USERS}_List.asp`)), 'the changed password');
    assert.equal((await new Visitor(server.url).logIn('dave', 'dave-new')).status, 302);
    assert.ok(!refused(await admin.get(`/manage/${USERS}_List.asp`)), 'the admin, whose account did not change, goes on');
  });

  await test('an older digest or a plain-text password logs in once and is stored as the new digest', async () => {
    const legacySalt = '0123456789abcdef';
    const legacy = `$${legacySalt}$${crypto.createHash('sha256').update(legacySalt + 'bob-pw', 'utf8').digest('hex').slice(0, 32)}`;
    await server.stop();
    execute(workingCopy, `UPDATE "用户" SET "密码" = '${legacy}' WHERE "帐号" = 'BOB'; UPDATE "用户" SET "密码" = 'alice-plain' WHERE "帐号" = 'alice';`);
    server = await serve(exe, run.runDir, SAMPLE_PROJECT);
    assert.equal((await new Visitor(server.url).logIn('bob', 'bob-pw')).status, 302);
    assert.ok(digestOf(stored('BOB'), 'bob-pw'), `upgraded: ${stored('BOB')}`);
    assert.equal((await new Visitor(server.url).logIn('alice', 'alice-plain')).status, 302);
    assert.ok(digestOf(stored('alice'), 'alice-plain'), `upgraded: ${stored('alice')}`);
    assert.equal((await new Visitor(server.url).logIn('alice', 'alice-plain')).status, 302, 'and logs in again with it');
  });

  await test('failures count per account, in the database: another account\'s success clears nothing, a restart neither', async () => {
    const guesser = new Visitor(server.url);
    for (let i = 0; i < 4; i++) assert.deepEqual(alerts((await guesser.logIn('alice', `guess${i}`)).body), WRONG);
    // The guesser's own account logs in from the same address: alice's count stays.
    assert.equal((await guesser.logIn('dave', 'dave-new')).status, 302);
    assert.deepEqual(alerts((await guesser.logIn('ALICE', 'guess4')).body), WRONG);
    assert.deepEqual(alerts((await new Visitor(server.url).logIn('alice', 'alice-plain')).body), LOCKED, 'locked: the right password is refused');
    assert.equal((await new Visitor(server.url).logIn('dave', 'dave-new')).status, 302, 'other accounts are not locked');
    const row = query(workingCopy, `SELECT failures FROM kovel_login_lock WHERE account = 'alice'`);
    assert.deepEqual(row, [{ failures: 5 }]);
    await server.stop();
    server = await serve(exe, run.runDir, SAMPLE_PROJECT);
    assert.deepEqual(alerts((await new Visitor(server.url).logIn('alice', 'alice-plain')).body), LOCKED, 'still locked after a restart');
  });

  await test('an unknown name costs about as much time as a known one', async () => {
    const time = async (user) => {
      const visitor = new Visitor(server.url);
      await visitor.get('/inc/verifycode.asp');
      const code = (await visitor.get('/__tabulon/session/verifycode')).body.trim();
      const start = process.hrtime.bigint();
      const answer = await visitor.post('/index.asp', { action: 'login', username: user, pwd: 'not-it', verifycode: code });
      const ms = Number(process.hrtime.bigint() - start) / 1e6;
      assert.deepEqual(alerts(answer.body), WRONG, user);
      return ms;
    };
    const median = (values) => values.sort((x, y) => x - y)[Math.floor(values.length / 2)];
    const known = [];
    const unknown = [];
    // Interleaved, so that a busy moment of the machine weighs on both.
    for (let i = 0; i < 3; i++) {
      known.push(await time('dave'));
      unknown.push(await time(`nobody${i}`));
    }
    console.log(`# login with a wrong password: known name ${median(known).toFixed(0)} ms, unknown name ${median(unknown).toFixed(0)} ms (medians of 3)`);
    assert.ok(median(unknown) > median(known) * 0.5, `unknown ${unknown} ms against known ${known} ms`);
  });
} finally {
  if (server) await server.stop();
  run.cleanup();
}
