// Values that must survive a round trip, on a server with Chinese, US English or German
// regional settings (`tabulon serve --locale`): a modify form posted untouched saves
// unchanged for every column type and the boundary values of each; typed numbers are
// checked by their column (in the browser and on the server) and never saved changed;
// search values never give a server error; reserved words work as table and field names.
//   node values_e2e.mjs <tabulon> <site_design>
// Exit 77 (skipped) when Wine or the preview's host program is missing.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import { test } from 'node:test';
import { findWine } from '../../tools/sitecheck/lib/wine.mjs';
import { addDesign, buildSite, makeRun, tabulon } from '../site/lib/site.mjs';
import { alerts, Visitor } from './lib/client.mjs';
import { tokenOf, untouchedForm } from './lib/forms.mjs';
import { serve } from './lib/serve.mjs';

const [exe, siteDesign] = process.argv.slice(2);
const host = path.join(path.dirname(exe), 'preview', 'host', 'asphost.exe');
if (!findWine() || !fs.existsSync(host)) {
  console.log(`SKIP: needs wine, wine64 and ${host}`);
  process.exit(77);
}

// Every column type in a text box (the memo and a short text in the rich-text editor, the date
// in a date box).
const COLUMNS = [
  ['字节', '字节型', '', '文本框'],
  ['整数', '整型', '', '文本框'],
  ['长整', '长整型', '', '文本框'],
  ['单精', '单精度', '', '文本框'],
  ['双精', '双精度', '', '文本框'],
  ['小数值', '小数', '', '文本框'],
  ['时刻', '日期时间', '', '时间框'],
  ['是否', '逻辑', '', '文本框'],
  ['文字', '文本', '', '文本框'],
  ['备忘', '备注', '', '文本域'],
  ['简述', '文本', '', '文本域'],
];
const VALUES = {
  project: '值域',
  tables: [
    { name: '管理员', fields: [['账号', '文本', 'username', '文本框'], ['密码', '文本', 'password', '文本框']] },
    { name: '取值', fields: COLUMNS },
  ],
};
// Access reserved words as the names of a table and its fields; none has a description.
const RESERVED = {
  project: 'words',
  tables: [
    {
      name: 'user',
      fields: [
        ['name', '文本', 'username', '文本框'],
        ['password', '文本', 'password', '文本框'],
        ['type', '文本', '', '文本框'],
        ['text', '备注', '', '文本框'],
        ['time', '日期时间', '', '时间框'],
        ['date', '日期时间', '', '时间框'],
        ['level', '整型', '', '文本框'],
        ['number', '双精度', '', '文本框'],
        ['user', '文本', '', '文本框'],
        ['order', '长整型', '', '文本框'],
      ],
    },
  ],
};

// Boundary values per record, in column order, and what the form then shows where the
// shown text is fixed whatever the regional settings (undefined: not pinned).
const RECORDS = [
  {
    typed: ['0', '-32768', '-2147483648', '12.3', '1e15', '9999.99', '1899-12-30', '是', `a"b<c>&d 'e`, '第一行\r\n第二行'],
    shown: ['0', '-32768', '-2147483648', '12.3', '1E+15', '9999.99', '1899-12-30', '是', `a"b<c>&d 'e`, '第一行\r\n第二行'],
  },
  {
    typed: ['255', '32767', '2147483647', '-0.5', '1e-15', '-12.5', '2024-02-29 13:45', '否', '', ''],
    shown: ['255', '32767', '2147483647', '-0.5', '1E-15', '-12.5', '2024-02-29 13:45:00', '否', '', ''],
  },
  { typed: ['', '', '', '', '', '', '', '', '', ''], shown: ['', '', '', '', '', '', '', '否', '', ''] },
  {
    typed: ['+7', '-0', '+000123', '0.5', '-0.5', '0.50', '2000-01-01 00:00:01', 'true', '50%_x[1]', '<p>好</p>'],
    shown: ['7', '0', '123', '0.5', '-0.5', '0.5', '2000-01-01 00:00:01', '是', '50%_x[1]', '<p>好</p>'],
  },
];

const run = makeRun(exe);
const servers = [];
const listedIds = (body, base) => [...new Set([...body.matchAll(new RegExp(`${base}_Modify\\.asp\\?ID=(\\d+)`, 'g'))].map((m) => Number(m[1])))];
const serverError = (answer) => answer.status >= 500 || /800[0-9a-f]{5}|Microsoft JET|Microsoft VBScript|Undefined function/i.test(answer.body);
const fieldsOf = (values) => Object.fromEntries(values.map((v, i) => [`S_${i + 1}`, v]));

try {
  const values = addDesign(siteDesign, run.runDir, VALUES);
  buildSite(exe, run.runDir, values.project);
  const base = `QZ${values.tables['取值']}`;
  const admins = `GLY${values.tables['管理员']}`;
  const shownByLocale = {};

  for (const locale of ['zh-CN', 'en-US', 'de-DE']) {
    const server = await serve(exe, run.runDir, values.project, { args: ['--locale', locale, '--fresh'] });
    servers.push(server);
    const admin = new Visitor(server.url);
    const page = (name) => `/manage/${base}_${name}.asp`;

    await test(`${locale}: every column type and boundary value saves unchanged from an untouched modify form`, async () => {
      assert.equal((await admin.logInAsDefault()).status, 302);
      const token = await admin.token(page('Add'));
      const ids = [];
      for (const [r, record] of RECORDS.entries()) {
        const before = listedIds((await admin.get(page('List'))).body, base);
        const added = await admin.post(page('Add'), { ...fieldsOf(record.typed), action: 'add', kovel_token: token });
        assert.deepEqual(alerts(added.body), ['添加记录成功'], `add page, record ${r + 1}: ${added.body.slice(0, 300)}`);
        const id = listedIds((await admin.get(page('List'))).body, base).find((x) => !before.includes(x));
        assert.ok(id, `record ${r + 1} is listed`);
        ids.push(id);
      }
      shownByLocale[locale] = [];
      for (const [r, record] of RECORDS.entries()) {
        const form = (await admin.get(`${page('Modify')}?ID=${ids[r]}`)).body;
        const shown = untouchedForm(form);
        record.shown.forEach((expected, i) => {
          if (expected !== undefined) assert.equal(shown[`S_${i + 1}`], expected, `modify page of record ${r + 1}, ${COLUMNS[i][0]} shows ${JSON.stringify(expected)}`);
        });
        for (let twice = 0; twice < 2; twice++) {
          const saved = await admin.post(page('Modify'), { ...shown, ID: String(ids[r]), action: 'modify', kovel_token: tokenOf(form) });
          assert.deepEqual(alerts(saved.body), ['修改成功'], `modify page, record ${r + 1}, unchanged post ${twice + 1} is refused: ${alerts(saved.body)}`);
          const again = untouchedForm((await admin.get(`${page('Modify')}?ID=${ids[r]}`)).body);
          assert.deepEqual(again, shown, `modify page, record ${r + 1}: the untouched save ${twice + 1} changed a value`);
        }
        shownByLocale[locale].push(shown);
        // The display page and the list show the same text as the form.
        const display = (await admin.get(`${page('Display')}?ID=${ids[r]}`)).body;
        for (const i of [0, 4, 6, 7]) if (shown[`S_${i + 1}`]) assert.ok(display.includes(shown[`S_${i + 1}`]), `display page of record ${r + 1} shows ${COLUMNS[i][0]} ${shown[`S_${i + 1}`]}`);
      }
      if (locale !== 'zh-CN') assert.deepEqual(shownByLocale[locale], shownByLocale['zh-CN'], `${locale} shows what zh-CN shows`);
    });

    await test(`${locale}: typed numbers are checked by their column and refused values name the field`, async () => {
      const token = await admin.token(page('Add'));
      const before = listedIds((await admin.get(page('List'))).body, base).length;
      const refusals = [
        [{ S_5: 'abc' }, '双精必须是数字'],
        [{ S_6: '1.239' }, '小数值最多只能有 2 位小数'],
        [{ S_6: '10000' }, '小数值必须在 -9999.99 到 9999.99 之间'],
        [{ S_1: '256' }, '字节必须是 0 到 255 之间的整数'],
        [{ S_1: '-1' }, '字节必须是 0 到 255 之间的整数'],
        [{ S_2: '32768' }, '整数必须是 -32768 到 32767 之间的整数'],
        [{ S_3: '2147483648' }, '长整超出了整数的范围'],
        [{ S_3: '1.5' }, '长整必须是整数'],
        [{ S_3: '9'.repeat(300) }, '长整超出了整数的范围'],
        [{ S_5: '1e400' }, '双精超出了双精度数的范围'],
        [{ S_5: '1' + '0'.repeat(310) + '.5' }, '双精超出了双精度数的范围'],
        [{ S_5: '1' + '0'.repeat(300) + '.5' }, '双精的有效数字太多（双精度最多 15 位）'],
        [{ S_5: '0.12345678901234567' }, '双精的有效数字太多（双精度最多 15 位）'],
        [{ S_4: '3.5e38' }, '单精超出了单精度数的范围'],
        [{ S_4: '16777217' }, '单精的有效数字太多（单精度最多 7 位）'],
        [{ S_8: '也许' }, '是否只能是“是”或“否”'],
        [{ S_7: '2023-02-29' }, /^时刻不是有效的日期/],
        [{ S_9: '表情&#128512;' }, '文字含有本站网页不能显示的字符（例如表情符号），请删去后再提交'],
        [{ S_10: '表情&#128512;' }, null],
        [{ S_9: '长'.repeat(51) }, '文字太长，最多 50 个字'],
        [{ S_9: 'a\u0000b' }, '文字含有不能保存的控制字符'],
        [{ S_11: `<p>${'长'.repeat(51)}</p>` }, '简述太长，最多 50 个字'],
      ];
      for (const [fields, expected] of refusals) {
        if (expected === null) continue;
        const answer = await admin.post(page('Add'), { ...fields, action: 'add', kovel_token: token });
        const said = alerts(answer.body);
        assert.equal(said.length, 1, `${JSON.stringify(fields)}: ${said}`);
        if (expected instanceof RegExp) assert.match(said[0], expected);
        else assert.equal(said[0], expected, `add page refuses ${JSON.stringify(fields)}`);
      }
      assert.equal(listedIds((await admin.get(page('List'))).body, base).length, before, 'a refused value saves nothing');
      // A decimal point is a decimal point on every server: 1.5 is not stored as 15.
      const added = await admin.post(page('Add'), { S_4: '1.5', S_5: '-2.25', S_6: '-0.01', S_9: 'dot', action: 'add', kovel_token: token });
      assert.deepEqual(alerts(added.body), ['添加记录成功']);
      const id = Math.max(...listedIds((await admin.get(page('List'))).body, base));
      const shown = untouchedForm((await admin.get(`${page('Modify')}?ID=${id}`)).body);
      assert.deepEqual([shown.S_4, shown.S_5, shown.S_6], ['1.5', '-2.25', '-0.01']);
      // Rich text may carry the reference: it shows the character that was meant.
      const rich = await admin.post(page('Add'), { S_10: '<p>表情&#128512;</p>', action: 'add', kovel_token: token });
      assert.deepEqual(alerts(rich.body), ['添加记录成功']);
    });

    await test(`${locale}: search values never give a server error; 近似 finds % _ [ as typed`, async () => {
      const search = (text) => admin.post(page('List'), { action: 'search', SearchText: text });
      for (const text of ['文字近似[', '文字近似a]b', '小数值大于99999999', '小数值等于1e5', `双精大于${'9'.repeat(300)}`, '长整等于99999999999', '字节小于-1',
        '文字等于a\u0000b', '文字近似\u0000', '双精等于1e400', '单精等于1e-50', '时刻从2024-01-01至2024-13-01']) {
        const answer = await search(text);
        assert.ok(!serverError(answer), `list page search ${JSON.stringify(text)}: ${answer.status} ${answer.body.replace(/<[^>]+>/g, '').slice(0, 600)}`);
      }
      const dropped = await search('小数值大于99999999');
      assert.deepEqual(alerts(dropped.body), ['查询条件[小数值大于99999999]不符合要求，已被剔除！']);
      const found = (body) => listedIds(body, base).length;
      const all = found((await admin.get(page('List'))).body);
      assert.equal(found((await search('文字近似%_x[')).body), 1, 'only the record holding "%_x[" is found');
      assert.equal(found((await search('文字近似_')).body), 1, '"_" matches only itself');
      assert.ok(all > 2);
      assert.equal(found((await search('双精等于1E+15')).body), 1, 'the list finds what it shows');
      assert.equal(found((await search('时刻等于2024-02-29 13:45:00')).body), 1);
    });

    await test(`${locale}: a NUL byte in the login name is refused as a wrong login`, async () => {
      const visitor = new Visitor(server.url);
      const answer = await visitor.logIn('vok\u0000ra', 'vokra');
      assert.ok(!serverError(answer), `login page: ${answer.status} ${answer.body.replace(/<[^>]+>/g, '').slice(0, 600)}`);
      assert.notEqual(answer.status, 302);
    });

    await test(`${locale}: a password longer than the login page compares is refused, not stored`, async () => {
      const token = await admin.token(`/manage/${admins}_Add.asp`);
      const long = await admin.post(`/manage/${admins}_Add.asp`, { S_1: '长密码', S_2: 'p'.repeat(51), action: 'add', kovel_token: token });
      assert.deepEqual(alerts(long.body), ['密码太长，最多 50 个字']);
      const fits = await admin.post(`/manage/${admins}_Add.asp`, { S_1: `五十${locale}`, S_2: 'p'.repeat(50), action: 'add', kovel_token: token });
      assert.deepEqual(alerts(fits.body), ['添加记录成功']);
      assert.equal((await new Visitor(server.url).logIn(`五十${locale}`, 'p'.repeat(50))).status, 302);
    });
    await server.stop();
  }

  await test('the browser check follows the column type and keeps what was typed', async () => {
    const server = await serve(exe, run.runDir, values.project);
    servers.push(server);
    const admin = new Visitor(server.url);
    await admin.logInAsDefault();
    const form = (await admin.get(`/manage/${base}_Add.asp`)).body;
    assert.ok(!form.includes('this.value=0'), 'leaving a box never replaces what was typed');
    const script = /<script type="text\/javascript">\s*(function check\(\)[\s\S]*?)<\/script>/.exec(form)?.[1];
    assert.ok(script, 'the add page has its check()');
    const judge = (fields) => {
      const boxes = Object.fromEntries(COLUMNS.map((_, i) => [`S_${i + 1}`, { tagName: 'INPUT', value: fields[`S_${i + 1}`] ?? '', focus() {} }]));
      const said = [];
      const context = { document: { getElementsByName: (n) => (boxes[n] ? [boxes[n]] : []) }, alert: (t) => said.push(t) };
      vm.createContext(context);
      vm.runInContext(`${script}\nresult = check();`, context);
      for (const [name, value] of Object.entries(fields)) assert.equal(boxes[name].value, value, 'the typed value stays');
      return { passed: context.result, said };
    };
    for (const fields of [{ S_6: '-12.5' }, { S_5: '1E+15' }, { S_5: '-1e-15' }, { S_2: '-5' }, { S_1: '255' }, { S_8: '是' }, { S_8: '' }, { S_6: '9999.990' }])
      assert.deepEqual(judge(fields), { passed: true, said: [] }, JSON.stringify(fields));
    for (const [fields, message] of [
      [{ S_5: 'abc' }, '双精必须是数字'],
      [{ S_6: '1.239' }, '小数值最多只能有 2 位小数'],
      [{ S_1: '256' }, '字节必须是 0 到 255 之间的整数'],
      [{ S_2: '1.5' }, '整数必须是整数'],
      [{ S_3: '2147483648' }, '长整超出了整数的范围'],
      [{ S_8: '也许' }, '是否只能是“是”或“否”'],
    ])
      assert.deepEqual(judge(fields), { passed: false, said: [message] }, JSON.stringify(fields));
    await server.stop();
  });

  await test('Access reserved words as table and field names generate, check and run end to end', async () => {
    const words = addDesign(siteDesign, run.runDir, RESERVED);
    assert.match(tabulon(exe, run.runDir, 'check', words.project), /设计检查通过/);
    buildSite(exe, run.runDir, words.project);
    const id = words.tables.user;
    const server = await serve(exe, run.runDir, words.project);
    servers.push(server);
    const visitor = new Visitor(server.url);
    const entered = await visitor.logInAsDefault();
    assert.equal(entered.status, 302, `the login table user(name, password): ${alerts(entered.body)}`);
    const page = (kind) => `/manage/${id}_${kind}.asp`;
    const addForm = (await visitor.get(page('Add'))).body;
    for (const caption of ['type', 'text', 'time', 'date', 'level', 'number', 'user', 'order'])
      assert.ok(addForm.includes(`>${caption}：`), `the add page captions ${caption} by its name`);
    const token = tokenOf(addForm);
    const added = await visitor.post(page('Add'), {
      S_1: '甲', S_2: 'secret', S_3: 'x', S_4: 'memo', S_5: '2024-01-02 03:04:05', S_6: '2024-01-02', S_7: '3', S_8: '2.5', S_9: 'u', S_10: '9', action: 'add', kovel_token: token,
    });
    assert.deepEqual(alerts(added.body), ['添加记录成功'], added.body.slice(0, 300));
    const list = await visitor.get(page('List'));
    assert.ok(!serverError(list), list.body.slice(0, 300));
    for (const caption of ['type', 'level', 'order']) assert.ok(list.body.includes(caption), `the list header shows ${caption}`);
    const recordId = Math.max(...listedIds(list.body, String(id)));
    const found = await visitor.post(page('List'), { action: 'search', SearchText: 'level等于3；order大于8；type近似x；date从2024-01-01至2024-01-03' });
    assert.ok(!serverError(found), found.body.slice(0, 300));
    assert.deepEqual(listedIds(found.body, String(id)), [recordId]);
    const modify = (await visitor.get(`${page('Modify')}?ID=${recordId}`)).body;
    assert.ok(modify.includes('>number：'));
    const saved = await visitor.post(page('Modify'), { ...untouchedForm(modify), ID: String(recordId), action: 'modify', kovel_token: tokenOf(modify) });
    assert.deepEqual(alerts(saved.body), ['修改成功']);
    const display = await visitor.get(`${page('Display')}?ID=${recordId}`);
    assert.ok(!serverError(display) && display.body.includes('>order：'), display.body.slice(0, 300));
    const deleted = await visitor.post(`${page('Delete')}?action=Delete`, { ID: String(recordId), kovel_token: tokenOf(modify) });
    assert.deepEqual(alerts(deleted.body), ['删除成功']);
    await server.stop();
  });
} finally {
  for (const server of servers) await server.stop();
  run.cleanup();
}
