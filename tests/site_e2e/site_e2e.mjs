// The generated sites run in the preview (`tabulon serve`, Wine's VBScript engine) and
// visited as a user and as a hostile one would: the sample project 记账 and a design of
// our own, 学籍 (a drop-down fed by a numeric key, a Single, a date, a memo, a boolean).
//   node site_e2e.mjs <tabulon> <site_design>
// Exit 77 (skipped) when Wine or the preview's host program is missing.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { findWine } from '../../tools/sitecheck/lib/wine.mjs';
import { addDesign, buildSite, makeRun, SAMPLE_PROJECT } from '../site/lib/site.mjs';
import { alerts, CHANGED_DEFAULT_PASSWORD, Visitor } from './lib/client.mjs';
import { serve } from './lib/serve.mjs';

const [exe, siteDesign] = process.argv.slice(2);
const host = path.join(path.dirname(exe), 'preview', 'host', 'asphost.exe');
if (!findWine() || !fs.existsSync(host)) {
  console.log(`SKIP: needs wine, wine64 and ${host}`);
  process.exit(77);
}

const SCHOOL = {
  project: '学籍',
  tables: [
    { name: '管理员', fields: [['账号', '文本', 'username', '文本框'], ['密码', '文本', 'password', '文本框']] },
    { name: '年级', fields: [['名称', '文本', '', '文本框']] },
    {
      name: '学生',
      fields: [
        ['姓名', '文本', '', '文本框'],
        ['年级', '长整型', '', '组合框'],
        ['身高', '单精度', '', '文本框'],
        ['生日', '日期时间', '', '时间框'],
        ['简介', '备注', '', '文本域'],
      ],
      links: [['年级', '年级', '名称']],
    },
  ],
};

const run = makeRun(exe);
const servers = [];

// Record ids of a list page, in the order shown.
const listedIds = (body, base) => [...body.matchAll(new RegExp(`${base}_Modify\\.asp\\?ID=(\\d+)`, 'g'))].map((m) => Number(m[1]));
const refused = (page) => /没有权限，请重新登陆/.test(page.body) || /index\.asp/.test(page.headers.location ?? '') || /top\.location\.href='index\.asp'/.test(page.body);

try {
  buildSite(exe, run.runDir, SAMPLE_PROJECT);
  const school = addDesign(siteDesign, run.runDir, SCHOOL);
  buildSite(exe, run.runDir, school.project);
  const sampleSite = path.join(run.runDir, SAMPLE_PROJECT);
  const pages = fs.readdirSync(path.join(sampleSite, 'manage')).filter((f) => f.endsWith('.asp') && f !== 'conn.asp');

  const sample = await serve(exe, run.runDir, SAMPLE_PROJECT);
  servers.push(sample);

  await test('a forged cookie or no session gets nothing from any page or the data service', async () => {
    assert.ok(pages.length >= 21, pages.join(','));
    for (const cookie of [null, 'kovel_username=vokra']) {
      const visitor = new Visitor(sample.url);
      if (cookie) visitor.cookies.set('kovel_username', 'vokra');
      for (const page of [...pages.map((p) => `/manage/${p}?ID=1`), '/main.asp', '/top.asp', '/menu.asp', '/desk.asp']) {
        const answer = await visitor.get(page);
        assert.ok(answer.status < 500, `${page}: ${answer.status}`);
        assert.ok(refused(answer), `${page} with ${cookie ?? 'nothing'} answered:\n${answer.body.slice(0, 300)}`);
        assert.ok(!answer.body.includes('vokra') || page === '/main.asp', `${page} shows an account`);
      }
      const service = await visitor.get('/manage/GetClass.asp?stype=用户&filed=密码&condition=%25id&next=2&ajaxdata=1');
      assert.ok(!service.body.includes('<option'), service.body);
    }
  });

  const admin = new Visitor(sample.url);
  await test('vokra logs in into the session (after the first login changed its password); the cookie alone shows only the name', async () => {
    const answer = await admin.logInAsDefault();
    assert.equal(answer.status, 302, answer.body);
    assert.match(answer.headers.location, /main\.asp/);
    const list = await admin.get('/manage/YH24_List.asp');
    assert.ok(!refused(list), list.body.slice(0, 300));
    assert.match(list.body, /vokra/);
    assert.ok(!/\$[0-9a-f]{16}\$/.test(list.body), 'the list shows no password digest');
    assert.ok(!list.body.includes('密码'), 'nor the password column');
    const desk = await admin.get('/desk.asp');
    assert.ok(!/Microsoft-IIS|VBScript \d|SERVER_SOFTWARE/i.test(desk.body), 'the desk names no server software');
  });

  await test('the data service answers only the cascades the pages use', async () => {
    const cascade = '/manage/GetClass.asp?table=流水帐&Stype=消费类型&filed=类型名称&condition=收支类型&order=1&next=2&ajaxdata=支出';
    const fresh = new Visitor(sample.url);
    await fresh.logInAsDefault();
    assert.ok(!(await fresh.get(cascade)).body.includes('<option'), 'not before a page offered it');
    await fresh.get('/manage/LSZ27_Add.asp');
    assert.match((await fresh.get(cascade)).body, /<select name="S_2" id="S_2">[\s\S]*<option/);
    const other = await fresh.get('/manage/GetClass.asp?stype=用户&filed=密码&condition=%25id&next=2&ajaxdata=1');
    assert.ok(!other.body.includes('<option'), other.body);
  });

  await test('changes need a POST with the session token: a cross-site GET or a tokenless POST deletes nothing', async () => {
    const token = await admin.token('/manage/SZ25_Add.asp');
    const added = await admin.post('/manage/SZ25_Add.asp', { S_1: '临时', action: 'add', kovel_token: token });
    assert.deepEqual(alerts(added.body), ['添加记录成功']);
    const before = listedIds((await admin.get('/manage/SZ25_List.asp')).body, 'SZ25');
    const id = Math.max(...before);
    await admin.get(`/manage/SZ25_Delete.asp?action=Delete&ID=${id}`);
    const noToken = await admin.post('/manage/SZ25_Delete.asp?action=Delete', { ID: String(id) });
    assert.match(alerts(noToken.body).join(), /没有做任何修改/);
    const forged = await admin.post('/manage/SZ25_Delete.asp?action=Delete', { ID: String(id), kovel_token: '0'.repeat(32) });
    assert.match(alerts(forged.body).join(), /没有做任何修改/);
    const getAdd = await admin.get(`/manage/SZ25_Add.asp?action=add&S_1=GET&kovel_token=${token}`);
    assert.ok(!alerts(getAdd.body).includes('添加记录成功'), 'a GET adds nothing');
    assert.deepEqual(listedIds((await admin.get('/manage/SZ25_List.asp')).body, 'SZ25'), before);
    const deleted = await admin.post('/manage/SZ25_Delete.asp?action=Delete', { ID: String(id), kovel_token: token });
    assert.deepEqual(alerts(deleted.body), ['删除成功']);
    assert.ok(!listedIds((await admin.get('/manage/SZ25_List.asp')).body, 'SZ25').includes(id));
  });

  await test('the delete page takes only a list of whole positive ids', async () => {
    const token = await admin.token('/manage/SZ25_List.asp');
    const say = async (ids) => alerts((await admin.post('/manage/SZ25_Delete.asp?action=Delete', { ID: ids, kovel_token: token })).body);
    assert.deepEqual(await say(''), ['请先选择要删除的记录']);
    for (const bad of ['1,000', '&H10', '1e3', '-1', '1 or 1=1']) assert.deepEqual(await say(bad), ['编号必须是数字'], bad);
    assert.deepEqual(await say('99998,99999'), ['删除失败，记录不存在']);
  });

  await test('a stored <img onerror> is shown as text on the list, display and modify pages and in drop-downs', async () => {
    const payload = '<img src=x onerror=alert(1)>';
    const token = await admin.token('/manage/SZ25_Add.asp');
    await admin.post('/manage/SZ25_Add.asp', { S_1: payload, action: 'add', kovel_token: token });
    const list = await admin.get('/manage/SZ25_List.asp');
    const id = Math.max(...listedIds(list.body, 'SZ25'));
    for (const page of ['/manage/SZ25_List.asp', `/manage/SZ25_Display.asp?ID=${id}`, `/manage/SZ25_Modify.asp?ID=${id}`, '/manage/LSZ27_Add.asp']) {
      const body = (await admin.get(page)).body;
      assert.ok(!body.includes(payload), `${page} writes the stored markup as markup`);
      assert.ok(body.includes('&lt;img src=x onerror=alert(1)&gt;'), `${page} does not show it`);
    }
  });

  await test('the list links each record to its display page', async () => {
    const list = (await admin.get('/manage/SZ25_List.asp')).body;
    const id = Math.max(...listedIds(list, 'SZ25'));
    assert.match(list, new RegExp(`<td align="center">&nbsp;<a href="SZ25_Display\\.asp\\?ID=${id}">`));
    const shown = await admin.get(`/manage/SZ25_Display.asp?ID=${id}`);
    assert.equal(shown.status, 200);
    assert.ok(!refused(shown));
  });

  await test('log out is a POST: a link elsewhere cannot end the session, the form can', async () => {
    const visitor = new Visitor(sample.url);
    await visitor.logInAsDefault();
    await visitor.get('/exit.asp');
    assert.ok(!refused(await visitor.get('/manage/YH24_List.asp')), 'a GET of exit.asp keeps the session');
    const token = /name="kovel_token" value="([0-9a-f]+)"/.exec((await visitor.get('/exit.asp')).body)[1];
    await visitor.post('/exit.asp', { kovel_token: token });
    assert.ok(refused(await visitor.get('/manage/YH24_List.asp')), 'after logging out the list is refused');
  });

  await test('the data folder is not served', async () => {
    for (const file of ['/data/data.mdb', '/data/schema.sql']) {
      const answer = await new Visitor(sample.url).get(file);
      assert.ok(answer.status >= 400 && answer.status < 500, `${file}: ${answer.status}`);
    }
  });

  await sample.stop();

  const schoolServer = await serve(exe, run.runDir, school.project);
  servers.push(schoolServer);
  const grades = `NJ${school.tables['年级']}`;
  const students = `XS${school.tables['学生']}`;
  const admins = `GLY${school.tables['管理员']}`;
  const teacher = new Visitor(schoolServer.url);

  await test('an account added through the page is stored as a digest and logs in with what was typed', async () => {
    const entered = await teacher.logInAsDefault();
    assert.equal(entered.status, 302, alerts(entered.body).join() + entered.body.slice(0, 300));
    const form = await teacher.get(`/manage/${admins}_Add.asp`);
    assert.match(form.body, /<input type="password" name="S_2"/);
    const token = await teacher.token(`/manage/${admins}_Add.asp`);
    const added = await teacher.post(`/manage/${admins}_Add.asp`, { S_1: '老师', S_2: ' 密 码 ', action: 'add', kovel_token: token });
    assert.deepEqual(alerts(added.body), ['添加记录成功']);
    const list = (await teacher.get(`/manage/${admins}_List.asp`)).body;
    assert.ok(!list.includes('密 码') && !/\$[0-9a-f]{16}\$/.test(list));
    const other = new Visitor(schoolServer.url);
    assert.deepEqual(alerts((await other.logIn('老师', '密码')).body), ['用户名或密码错误！'], 'the comparison is exact');
    assert.equal((await other.logIn('老师', ' 密 码 ')).status, 302);
  });

  let studentId = 0;
  await test('values are checked by their column type; an empty date or number is stored as Null', async () => {
    const token = await teacher.token(`/manage/${grades}_Add.asp`);
    for (const name of ['一年级', '二年级']) await teacher.post(`/manage/${grades}_Add.asp`, { S_1: name, action: 'add', kovel_token: token });
    const gradeIds = listedIds((await teacher.get(`/manage/${grades}_List.asp`)).body, grades).sort((a, b) => a - b);
    assert.equal(gradeIds.length, 2);
    const add = (fields) => teacher.post(`/manage/${students}_Add.asp`, { ...fields, action: 'add', kovel_token: token });
    assert.deepEqual(alerts((await add({ S_1: '甲', S_2: gradeIds[1], S_3: 'abc', S_4: '', S_5: '' })).body), ['身高必须是数字']);
    const badDate = alerts((await add({ S_1: '甲', S_2: gradeIds[1], S_3: '1.5', S_4: '2024-13-01', S_5: '' })).body);
    assert.equal(badDate.length, 1);
    assert.match(badDate[0], /^生日不是有效的日期/);
    assert.deepEqual(alerts((await add({ S_1: '长'.repeat(51), S_2: gradeIds[1], S_3: '', S_4: '', S_5: '' })).body), ['姓名太长，最多 50 个字']);
    const saved = await add({ S_1: '甲', S_2: String(gradeIds[1]), S_3: '', S_4: '', S_5: '' });
    assert.ok(saved.status < 500, saved.body);
    assert.deepEqual(alerts(saved.body), ['添加记录成功']);
    studentId = Math.max(...listedIds((await teacher.get(`/manage/${students}_List.asp`)).body, students));
    const shown = await teacher.get(`/manage/${students}_Display.asp?ID=${studentId}`);
    assert.equal(shown.status, 200, 'a Null memo and date display without a server error');
    assert.ok(!/时间参数错误|错误|error/i.test(shown.body.replace(/onerror/g, '')), shown.body.slice(-600));
  });

  await test('modify pre-selects a numeric drop-down and saving keeps its value', async () => {
    const gradeIds = listedIds((await teacher.get(`/manage/${grades}_List.asp`)).body, grades).sort((a, b) => a - b);
    const form = (await teacher.get(`/manage/${students}_Modify.asp?ID=${studentId}`)).body;
    assert.equal(form.match(/<option selected value=(\d+)>/)?.[1], String(gradeIds[1]), 'the stored grade is the chosen option');
    const token = /name="kovel_token" value="([0-9a-f]+)"/.exec(form)[1];
    const saved = await teacher.post(`/manage/${students}_Modify.asp`, {
      ID: String(studentId), S_1: '甲', S_2: String(gradeIds[1]), S_3: '12.3', S_4: '2010-05-06', S_5: '<p>好</p><script>x()</script>', action: 'modify', kovel_token: token,
    });
    assert.deepEqual(alerts(saved.body), ['修改成功']);
    const again = (await teacher.get(`/manage/${students}_Modify.asp?ID=${studentId}`)).body;
    assert.equal(again.match(/<option selected value=(\d+)>/)?.[1], String(gradeIds[1]));
    assert.ok(!again.includes('&lt;script&gt;') && again.includes('&lt;p&gt;好&lt;/p&gt;'), 'rich text is cleaned of scripts on save');
  });

  await test('a Single column is found by 等于 at its own precision', async () => {
    const found = await teacher.post(`/manage/${students}_List.asp`, { action: 'search', SearchText: '身高等于12.3' });
    assert.deepEqual(listedIds(found.body, students), [studentId]);
    const none = await teacher.post(`/manage/${students}_List.asp`, { action: 'search', SearchText: '身高等于12.4' });
    assert.deepEqual(listedIds(none.body, students), []);
    const above = await teacher.post(`/manage/${students}_List.asp`, { action: 'search', SearchText: '身高大于12.3' });
    assert.deepEqual(listedIds(above.body, students), [studentId], 'the other operators stay exact: 12.3 as stored is above 12.3');
  });
  // Last: the lock holds the address for a quarter of an hour.
  await test('five wrong passwords lock the form; the right one is refused until the lock ends', async () => {
    const visitor = new Visitor(schoolServer.url);
    // Failures count in a row per account: a success of the account starts its count afresh.
    assert.equal((await visitor.logInAsDefault()).status, 302);
    for (let i = 0; i < 5; i++) assert.deepEqual(alerts((await visitor.logIn('vokra', `wrong${i}`)).body), ['用户名或密码错误！']);
    const locked = await visitor.logIn('vokra', CHANGED_DEFAULT_PASSWORD);
    assert.deepEqual(alerts(locked.body), ['连续 5 次登录失败，请 15 分钟后再试！']);
    const elsewhere = await new Visitor(schoolServer.url).logIn('vokra', CHANGED_DEFAULT_PASSWORD);
    assert.deepEqual(alerts(elsewhere.body), ['连续 5 次登录失败，请 15 分钟后再试！'], 'the account is locked from everywhere');
  });
  await schoolServer.stop();
} finally {
  for (const server of servers) await server.stop();
  run.cleanup();
}
