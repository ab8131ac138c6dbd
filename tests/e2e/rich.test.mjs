// A richer design served by `tabulon serve`: every input widget and field type, a
// cascade, a login table of its own, a table without fields and more rows than one list
// page, used in Chromium and checked against the preview's working copy.
//   node rich.test.mjs <tabulon> <site_design> <asphost.exe>
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';
import * as act from './lib/actions.mjs';
import { RICH } from './lib/designs.mjs';
import { everyPageChecks, frameChecks, knownFaultChecks, loginChecks, logoutChecks, programs, servedSite, skipUnlessRunnable } from './lib/sitesuite.mjs';
import { linkLabels, PAGE_SIZE } from './lib/tableflow.mjs';

const progs = programs();
skipUnlessRunnable(progs);

const LONG_NOTE = `说明："引号"、'单引号'、<尖括号> & 符号。${'一段很长的备注文字，'.repeat(40)}完`;

describe('the design 器材库 in the preview', () => {
  const site = servedSite({ programs: progs, project: RICH.project, design: RICH, tables: RICH.tables });
  const ids = {};

  loginChecks(site, RICH.login);
  frameChecks(site, RICH.login);

  it('管理员, 大类 and 小类: the login table and the linked tables the cascade reads', async () => {
    const admins = site.flow('管理员');
    const admin = await admins.add({ 账号: 'keeper', 密码: 'k1', 姓名: '库管' });
    await admins.checkList();
    await admins.modify(admin, { 姓名: '库管员' });
    await admins.checkDisplay(admin);
    await admins.search('text equal', [{ field: '账号', op: '等于', value: 'KEEPER' }], (r) => r.账号 === 'keeper');
    await admins.delete([admin]);

    const groups = site.flow('大类');
    for (const name of ['光学', '五金', '电子']) ids[name] = await groups.add({ 大类名称: name });
    await groups.checkList();
    await groups.delete([ids['电子']]);

    const kinds = site.flow('小类');
    await kinds.add({ 小类名称: '镜头', 所属大类: '光学' });
    await kinds.add({ 小类名称: '棱镜', 所属大类: '光学' });
    await kinds.add({ 小类名称: '工具', 所属大类: '五金' });
    const spare = await kinds.add({ 小类名称: '备件', 所属大类: '五金' });
    await kinds.checkList();
    await kinds.checkDisplay(spare);
    await kinds.modify(spare, { 所属大类: '光学' });
    await kinds.delete([spare]);
  });

  it('器材: every field type and widget through add, list, display, modify, searches and delete', async () => {
    const flow = site.flow('器材');
    ids.scope = await flow.add({
      名称: '显微镜', 大类: '光学', 小类: '镜头', 数量: '2000000', 库位: '12', 单价: '3.75', 重量: '12.5',
      等级: '200', 金额: '1234.56', 说明: LONG_NOTE, 购入: '2024-03-15', 在用: 'True', 主类: '五金',
    });
    ids.wrench = await flow.add({
      名称: '扳手', 大类: '五金', 小类: '工具', 数量: '7', 库位: '3', 单价: '0.5', 重量: '2.25',
      等级: '9', 金额: '0.01', 说明: '短说明', 购入: '2023-12-01', 在用: 'False', 主类: '五金',
    });
    ids.lens = await flow.add({
      名称: '透镜', 大类: '光学', 小类: '棱镜', 数量: '150', 库位: '0', 单价: '120.125', 重量: '0.75',
      等级: '0', 金额: '99.9', 说明: '透镜的说明', 购入: '2024-05-20', 在用: 'True', 主类: '光学',
    });
    await flow.checkList();
    for (const id of [ids.scope, ids.wrench, ids.lens]) await flow.checkDisplay(id);
    await flow.modify(ids.scope, { 名称: '显微镜二号', 数量: '5', 购入: '2024-06-01', 在用: 'False', 说明: '改过的说明' });
    await flow.search('text like', [{ field: '名称', op: '近似', value: '镜' }], (r) => r.名称.includes('镜'));
    await flow.search('long greater', [{ field: '数量', op: '大于', value: '100' }], (r) => r.数量 > 100);
    await flow.search('double at most', [{ field: '单价', op: '小于等于', value: '3.75' }], (r) => r.单价 <= 3.75);
    await flow.search('byte at least', [{ field: '等级', op: '大于等于', value: '9' }], (r) => r.等级 >= 9);
    await flow.search('boolean equal', [{ field: '在用', op: '等于', value: '-1' }], (r) => r.在用 === true);
    await flow.search('date range', [{ field: '购入', from: '2024-01-01', to: '2024-05-31' }],
      (r) => r.购入 >= '2024-01-01' && r.购入 <= '2024-05-31 00:00:00');
    await flow.search('two conditions', [{ field: '名称', op: '近似', value: '镜' }, { field: '金额', op: '大于', value: '50' }],
      (r) => r.名称.includes('镜') && r.金额 > 50);
    await flow.delete([ids.wrench]);
  });

  it('器材: more rows than one list page, paged with and without a search kept', async () => {
    const flow = site.flow('器材');
    const table = site.tables['器材'];
    const { visitor, copy } = site;
    await visitor.page.goto(act.pageUrl(table, 'Add'));
    const names = Object.fromEntries((await act.formRows(visitor.page.mainFrame())).map((r) => [r.field, r.name]));
    const groups = linkLabels(copy, { table: '大类', field: '大类名称' });
    const kinds = linkLabels(copy, { table: '小类', field: '小类名称' });
    for (let n = 1; n <= 20; n++) {
      await visitor.step(act.pageUrl(table, 'Add'), `posting row 批量${n}`, () => act.postAdd(visitor, table, {
        [names.名称]: `批量${String(n).padStart(2, '0')}`, [names.大类]: groups['五金'], [names.小类]: kinds['工具'], [names.数量]: n,
        [names.库位]: n, [names.单价]: n / 4, [names.重量]: n / 2, [names.等级]: n, [names.金额]: n, [names.说明]: `第${n}条`,
        [names.购入]: `2024-02-${String(n).padStart(2, '0')}`, [names.在用]: n % 2 ? 'True' : 'False', [names.主类]: groups['光学'],
      }));
    }
    const stored = flow.rows();
    assert.ok(stored.length > PAGE_SIZE, 'the seeded rows fill more than one page');
    const first = await flow.checkList();
    const second = await visitor.step(act.pageUrl(table, 'List'), 'following 下一页', () => act.followPageLink(visitor, '下一页'));
    assert.deepEqual(second.rows.map((r) => r.id), stored.slice(PAGE_SIZE, 2 * PAGE_SIZE).map((r) => r.id), `${act.pageUrl(table, 'List')}, page 2: expected rows ${PAGE_SIZE + 1}… of the working copy`);
    assert.deepEqual(second.totals, { ...first.totals, page: 2 }, `${act.pageUrl(table, 'List')}, page 2: the page bar`);
    const last = await visitor.step(act.pageUrl(table, 'List'), 'following 首页', () => act.followPageLink(visitor, '首页'));
    assert.deepEqual(last.rows.map((r) => r.id), first.rows.map((r) => r.id), `${act.pageUrl(table, 'List')}: 首页 should show page 1 again`);

    const batch = (r) => r.名称.startsWith('批量');
    const found = await flow.search('batch rows', [{ field: '名称', op: '近似', value: '批量' }], batch);
    const matching = flow.rows().filter(batch).map((r) => r.id);
    const next = await visitor.step(act.pageUrl(table, 'List'), 'following 下一页 of a search', () => act.followPageLink(visitor, '下一页'));
    assert.equal(next.conditions, found.conditions, `${act.pageUrl(table, 'List')}, search page 2: the conditions should be kept`);
    assert.deepEqual(next.rows.map((r) => r.id), matching.slice(PAGE_SIZE, 2 * PAGE_SIZE), `${act.pageUrl(table, 'List')}, search page 2: expected the next matching rows`);
    assert.deepEqual(next.totals, { records: matching.length, page: 2, pages: Math.ceil(matching.length / PAGE_SIZE) }, `${act.pageUrl(table, 'List')}, search page 2: the page bar`);

    await flow.delete(matching.slice(0, 3));
  });

  it('空表: a table without fields still adds, lists, shows and deletes rows', async () => {
    const flow = site.flow('空表');
    const id = await flow.add({});
    await flow.checkList();
    await flow.checkDisplay(id);
    await flow.delete([id]);
  });

  logoutChecks(site);
  everyPageChecks(site, RICH.login);
  knownFaultChecks();
});
