// The suite's action helpers against the pages the program really writes, served without
// their server code (tests/site/lib/pages.mjs): they must find every field's control from
// the markup, fill each widget so the browser posts what was meant, and build the search
// conditions the list page's own script builds. Needs Chromium, not Wine.
//   node helpers.test.mjs <tabulon> <site_design>
import assert from 'node:assert/strict';
import { after, before, describe, it } from 'node:test';
import { browserMissing, gbkParams, launchBrowser } from '../../tools/sitecheck/browser.mjs';
import { serveSite } from '../site/lib/pages.mjs';
import * as act from './lib/actions.mjs';
import { RICH } from './lib/designs.mjs';
import { Visitor } from './lib/session.mjs';
import { buildRun, tableSpecs } from './lib/sitesuite.mjs';

const missing = browserMissing();
if (missing) {
  console.log(`SKIP: ${missing}`);
  process.exit(77);
}
const [tabulon, designWriter] = process.argv.slice(2);

describe('action helpers on the generated markup of 器材库', () => {
  let run;
  let server;
  let browser;
  let visitor;
  let table;
  const cascadeCalls = [];

  before(async () => {
    run = buildRun({ tabulon, designWriter }, RICH.project, RICH);
    table = tableSpecs(run.siteDir, run.tableIds, RICH.tables).find((t) => t.name === '器材');
    server = await serveSite(run.siteDir, {
      options: (name) => (name === 'S_2' ? '<option value="11">光学</option><option value="12">五金</option>' : ''),
      stubs: {
        '/manage/GetClass.asp': (req) => {
          const q = Object.fromEntries(req.query);
          cascadeCalls.push(q);
          const kinds = q.ajaxdata === '11' ? [['21', '镜头'], ['22', '棱镜']] : [['23', '工具']];
          return { body: `<select name="S_${q.next}" id="S_${q.next}">${kinds.map(([v, l]) => `<option value="${v}">${l}</option>`).join('')}</select>` };
        },
      },
    });
    browser = await launchBrowser();
    visitor = await Visitor.open(browser, `${server.url}/`);
  });

  after(async () => {
    await browser?.close();
    await server?.close();
    run?.cleanup();
  });

  it('pageBase finds each table\'s pages, the one without fields included', () => {
    const bases = tableSpecs(run.siteDir, run.tableIds, RICH.tables).map((t) => t.base);
    assert.equal(new Set(bases).size, RICH.tables.length);
    for (const t of tableSpecs(run.siteDir, run.tableIds, RICH.tables)) assert.match(t.base, new RegExp(`^[A-Z]+${t.id}$`));
  });

  it('formRows reads every field of the add page with the control that holds it', async () => {
    await visitor.page.goto(act.pageUrl(table, 'Add'));
    const rows = await act.formRows(visitor.page.mainFrame());
    // A plain drop-down is written by server code, which this server leaves out.
    const plainDropDowns = table.fields.filter((f) => f.link && !['大类', '小类'].includes(f.name)).map((f) => f.name);
    assert.deepEqual(plainDropDowns, ['主类']);
    assert.deepEqual(rows.map((r) => r.field), table.fields.map((f) => f.name).filter((n) => !plainDropDowns.includes(n)));
    const byField = Object.fromEntries(rows.map((r) => [r.field, r]));
    assert.equal(byField['大类'].tag, 'select');
    assert.equal(byField['大类'].cascade, true);
    assert.equal(byField['小类'].tag, 'span', 'the cascade child is the span the answer fills');
    assert.equal(byField['说明'].editor, true);
    assert.equal(byField['购入'].tag, 'input');
    assert.equal(new Set(rows.map((r) => r.name)).size, rows.length, 'one S_<n> a field');
  });

  it('fillForm fills text boxes, the cascade and the rich-text editor, and the browser posts exactly that', async () => {
    await visitor.page.goto(act.pageUrl(table, 'Add'));
    const frame = visitor.page.mainFrame();
    const values = { 名称: '显微镜', 大类: '光学', 小类: '棱镜', 数量: '2000000', 说明: '带"引号"的说明', 购入: '2024-03-15', 在用: 'True' };
    const rows = await act.fillForm(frame, values);
    const names = Object.fromEntries(rows.map((r) => [r.field, r.name]));
    // The post's answer loads before the next test opens a page.
    const [post] = await Promise.all([
      visitor.page.waitForRequest((r) => r.method() === 'POST'),
      visitor.page.waitForNavigation(),
      frame.evaluate(() => document.forms.form1.requestSubmit()),
    ]);
    const form = gbkParams(post.postData());
    assert.equal(form.get('action'), 'add');
    assert.equal(form.get(names['名称']), '显微镜');
    assert.equal(form.get(names['大类']), '11', 'the option value of 光学');
    assert.equal(form.get(names['小类']), '22', 'the option value of 棱镜 from the cascade answer');
    assert.equal(form.get(names['数量']), '2000000');
    assert.match(form.get(names['说明']), /带(&quot;|")引号(&quot;|")的说明/);
    assert.equal(form.get(names['购入']), '2024-03-15');
    assert.equal(form.get(names['在用']), 'True');
    assert.equal(cascadeCalls.at(-1).ajaxdata, '11');
  });

  it('fillForm names the missing row or option instead of guessing', async () => {
    await visitor.page.goto(act.pageUrl(table, 'Add'));
    await assert.rejects(act.fillForm(visitor.page.mainFrame(), { 不存在: 'x' }), /no row for 不存在/);
    await assert.rejects(act.fillForm(visitor.page.mainFrame(), { 大类: '电子' }), /no option "电子"/);
  });

  it('search adds each condition with the search bar and posts them joined as the page does', async () => {
    const [post] = await Promise.all([
      visitor.page.waitForRequest((r) => r.method() === 'POST'),
      act.search(visitor, table, [
        { field: '名称', op: '近似', value: '镜' },
        { field: '数量', op: '大于等于', value: '100' },
        { field: '购入', from: '2024-01-01', to: '2024-05-31' },
      ]),
    ]);
    const form = gbkParams(post.postData());
    assert.equal(form.get('action'), 'search');
    assert.equal(form.get('SearchText'), '名称近似镜；数量大于等于100；购入从#2024-01-01#至#2024-05-31#');
  });

  it('readList takes the headers of the list page; formBody posts GBK the way the pages do', async () => {
    const list = await act.openList(visitor, table);
    assert.deepEqual(list.headers.slice(0, table.fields.length), table.fields.map((f) => f.name));
    const sent = { S_1: '批量 01', S_2: '百分号%与&号', action: 'add' };
    assert.deepEqual(Object.fromEntries(gbkParams(act.formBody(sent))), sent);
  });
});
