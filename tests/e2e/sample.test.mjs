// The sample project 记账 served by `tabulon serve` and used in Chromium as a user would:
// log in, the frames and menu, and for every table add, list, search, display, modify and
// delete, each checked against the preview's working copy; log out; every page once.
//   node sample.test.mjs <tabulon> <site_design> <asphost.exe>
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';
import * as act from './lib/actions.mjs';
import { Visitor } from './lib/session.mjs';
import { SAMPLE } from './lib/designs.mjs';
import { everyPageChecks, frameChecks, knownFaultChecks, loginChecks, logoutChecks, programs, servedSite, skipUnlessRunnable } from './lib/sitesuite.mjs';

const progs = programs();
skipUnlessRunnable(progs);

describe('the sample site 记账 in the preview', () => {
  const site = servedSite({ programs: progs, project: SAMPLE.project, tables: SAMPLE.tables });
  const ids = {};

  loginChecks(site, SAMPLE.login);
  frameChecks(site, SAMPLE.login);

  it('用户: add, list, display, modify, search, delete one and several; a new account logs in', async () => {
    const flow = site.flow('用户');
    ids.a = await flow.add({ 帐号: 'e2e甲', 密码: "pw'1", 姓名: '测试甲' });
    ids.b = await flow.add({ 帐号: 'e2e乙', 密码: 'pw2', 姓名: '测试乙' });
    ids.c = await flow.add({ 帐号: 'E2E丙', 密码: 'pw3', 姓名: '测试丙' });
    await flow.checkList();
    await flow.checkDisplay(ids.a);
    await flow.modify(ids.a, { 姓名: '改过的名字' });
    await flow.search('text like', [{ field: '帐号', op: '近似', value: '乙' }], (r) => r.帐号.includes('乙'));
    // Jet compares text without regard to case.
    await flow.search('text equal, any case', [{ field: '帐号', op: '等于', value: 'e2e丙' }], (r) => r.帐号.toLowerCase() === 'e2e丙');
    await flow.search('two conditions', [{ field: '帐号', op: '近似', value: 'e2e' }, { field: '姓名', op: '等于', value: '测试乙' }],
      (r) => r.帐号.toLowerCase().includes('e2e') && r.姓名 === '测试乙');

    const newcomer = await Visitor.open(site.browser, site.preview.url);
    try {
      const r = await newcomer.step('index.asp', "logging in as the added account e2e甲 (a quote in its password)", () => act.login(newcomer, { user: 'e2e甲', password: "pw'1" }));
      assert.equal(r.loggedIn, true, `index.asp: the account added on ${act.pageUrl(site.tables['用户'], 'Add')} should log in (alerts: ${r.alerts.join(', ')})`);
    } finally {
      await newcomer.close();
    }
    await flow.delete([ids.b]);
    await flow.delete([ids.a, ids.c]);
  });

  it('收支 and 消费类型: the rows the cascade needs, with a linked drop-down and a numeric search', async () => {
    const kinds = site.flow('收支');
    const income = await kinds.add({ 一级分类: '收入' });
    await kinds.add({ 一级分类: '支出' });
    const other = await kinds.add({ 一级分类: '转账' });
    await kinds.checkList();
    await kinds.checkDisplay(income);
    await kinds.modify(other, { 一级分类: '其他' });
    await kinds.search('text like', [{ field: '一级分类', op: '近似', value: '收' }], (r) => r.一级分类.includes('收'));
    await kinds.delete([other]);

    const types = site.flow('消费类型');
    await types.add({ 类型名称: '工资', 排序: '1', 收支类型: '收入' });
    const food = await types.add({ 类型名称: '餐饮', 排序: '2', 收支类型: '支出' });
    await types.add({ 类型名称: '交通', 排序: '3', 收支类型: '支出' });
    const spare = await types.add({ 类型名称: '备用', 排序: '9', 收支类型: '收入' });
    await types.checkList();
    await types.checkDisplay(food);
    await types.modify(spare, { 排序: '8' });
    await types.search('numeric greater', [{ field: '排序', op: '大于', value: '1' }], (r) => r.排序 > 1);
    await types.search('numeric at most', [{ field: '排序', op: '小于等于', value: '2' }], (r) => r.排序 <= 2);
    await types.delete([spare]);
  });

  it('流水帐: the cascade on the add page, date-range, numeric and two-condition searches, delete several', async () => {
    const flow = site.flow('流水帐');
    const lunch = await flow.add({ 收支: '支出', 消费类型: '餐饮', 名称: '午饭', 金额: '25.5', 日期: '2024-03-15' });
    await flow.add({ 收支: '收入', 消费类型: '工资', 名称: '三月工资', 金额: '8000', 日期: '2024-03-31' });
    const metro = await flow.add({ 收支: '支出', 消费类型: '交通', 名称: '地铁', 金额: '4', 日期: '2024-04-02' });
    const extra = await flow.add({ 收支: '支出', 消费类型: '餐饮', 名称: '晚饭', 金额: '31.25', 日期: '2024-04-03' });
    await flow.checkList();
    for (const id of [lunch, metro]) await flow.checkDisplay(id);
    await flow.modify(lunch, { 名称: '工作午饭', 金额: '26.75' });
    await flow.search('date range', [{ field: '日期', from: '2024-03-01', to: '2024-03-31' }],
      (r) => r.日期 >= '2024-03-01' && r.日期 <= '2024-03-31 00:00:00');
    await flow.search('numeric greater', [{ field: '金额', op: '大于', value: '10' }], (r) => r.金额 > 10);
    await flow.search('two conditions', [{ field: '名称', op: '近似', value: '饭' }, { field: '金额', op: '小于', value: '30' }],
      (r) => r.名称.includes('饭') && r.金额 < 30);
    await flow.delete([metro, extra]);
  });

  logoutChecks(site);
  everyPageChecks(site, SAMPLE.login);
  knownFaultChecks();
});
