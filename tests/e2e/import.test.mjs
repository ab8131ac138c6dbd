// An Access database imported with `tabulon import`, built and served by `tabulon serve`:
// after logging in, the list page shows the imported rows with their ids, and the add and
// modify pages' drop-downs list the related table's names (the deleted department not
// among them) with the imported row's department chosen. An ACE file the real engine wrote
// (../shared, skipped when absent): its attachment, multi-value and version-history
// columns stay in the database and no page shows or edits them, not even by a save.
//   node import.test.mjs <tabulon> <import_site_fixture> <asphost.exe>
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, it } from 'node:test';
import { launchBrowser } from '../../tools/sitecheck/browser.mjs';
import * as act from './lib/actions.mjs';
import { startPreview } from './lib/preview.mjs';
import { Visitor } from './lib/session.mjs';
import { skipUnlessRunnable } from './lib/sitesuite.mjs';
import * as workcopy from './lib/workcopy.mjs';

const [tabulon, fixture, host] = process.argv.slice(2);
if (!tabulon || !fixture) {
  console.error('usage: node import.test.mjs <tabulon> <import_site_fixture> [asphost.exe]');
  process.exit(2);
}
skipUnlessRunnable({ tabulon, host });

function run(program, args) {
  const r = spawnSync(program, args, { encoding: 'utf8', timeout: 120_000 });
  if (r.error) throw r.error;
  if (r.status !== 0) throw new Error(`${program} ${args.join(' ')} failed (${r.status}):\n${r.stdout}${r.stderr}`);
  return r.stdout;
}

// The options of the drop-down named like the field's form input, as [value, text, selected].
async function dropDown(page, position) {
  return page.mainFrame().evaluate((name) => {
    const select = document.querySelector(`select[name="${name}"]`);
    return select ? [...select.options].map((o) => [o.value, o.textContent.trim(), o.selected]) : null;
  }, `S_${position}`);
}

// The part of the page its content fills (the pictures leave out the empty page below it).
async function contentArea(page) {
  const bottom = await page.mainFrame().evaluate(() => {
    let lowest = 0;
    for (const element of document.body.querySelectorAll('*')) {
      lowest = Math.max(lowest, element.getBoundingClientRect().bottom);
    }
    return Math.ceil(lowest);
  });
  const { width } = page.viewportSize();
  return { x: 0, y: 0, width, height: Math.max(100, bottom + 12) };
}

// Imports with the fixture (its extra arguments: the file), builds and serves `project`, and
// logs in with the default account; fills ctx.runDir, ctx.ids (table name -> id),
// ctx.preview, ctx.browser and ctx.visitor.
async function importAndServe(ctx, prefix, fixtureArgs, project) {
  ctx.runDir = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  ctx.ids = {};
  for (const line of run(fixture, [ctx.runDir, ...fixtureArgs]).split('\n')) {
    const [kind, id, name] = line.split('\t');
    if (kind === 'table') ctx.ids[name] = Number(id);
  }
  run(tabulon, ['--run-dir', ctx.runDir, 'build', project]);
  ctx.preview = await startPreview({ tabulon, runDir: ctx.runDir, project });
  ctx.browser = await launchBrowser();
  ctx.visitor = await Visitor.open(ctx.browser, ctx.preview.url, { label: project });
  const login = await act.login(ctx.visitor, { user: 'vokra', password: 'vokra' });
  assert.equal(login.loggedIn, true, `the default account should log in (alerts: ${login.alerts.join(', ')})`);
}

async function stopServing(ctx) {
  await ctx.visitor?.close().catch(() => {});
  await ctx.browser?.close().catch(() => {});
  await ctx.preview?.stop().catch(() => {});
  if (ctx.runDir && !process.env.TABULON_E2E_KEEP) fs.rmSync(ctx.runDir, { recursive: true, force: true });
}

describe('an imported Access database as a running site', () => {
  const ctx = {};
  before(async () => {
    await importAndServe(ctx, 'tabulon-e2e-import-', [], '人事');
    ctx.siteDir = path.join(ctx.runDir, '人事');
    ctx.staff = { name: '员工', base: act.pageBase(ctx.siteDir, ctx.ids['员工']) };
  });
  after(() => stopServing(ctx));

  it('the list page of 员工 shows the imported rows with their ids', async () => {
    const list = await act.openList(ctx.visitor, ctx.staff);
    const byId = Object.fromEntries(list.rows.map((r) => [r.id, r.cells]));
    assert.deepEqual(Object.keys(byId).map(Number).sort((a, b) => a - b), [1, 4, 5]);
    assert.equal(byId[1].姓名, '张三');
    assert.equal(byId[4].姓名, '李四');
    assert.equal(list.totals?.records, 3);
    // TABULON_SCREENSHOTS=FOLDER: the pictures of the README.
    const pictures = process.env.TABULON_SCREENSHOTS;
    if (pictures) {
      const clip = await contentArea(ctx.visitor.page);
      await ctx.visitor.page.screenshot({ path: path.join(pictures, 'imported-site-list.png'), clip });
    }
  });

  it('the add page lists the departments by name, the deleted one not among them', async () => {
    await ctx.visitor.page.goto(act.pageUrl(ctx.staff, 'Add'));
    const options = await dropDown(ctx.visitor.page, 2);
    assert.ok(options, 'the add page should have a drop-down for 部门');
    const named = options.filter(([value]) => value !== '0').map(([value, text]) => [Number(value), text]);
    assert.deepEqual(named, [[3, '财务'], [7, '销售']]);
  });

  it('the modify page of 张三 has his department and region chosen by name', async () => {
    await ctx.visitor.page.goto(act.pageUrl(ctx.staff, 'Modify', '?ID=1'));
    const department = await dropDown(ctx.visitor.page, 2);
    const region = await dropDown(ctx.visitor.page, 3);
    assert.deepEqual(department.filter(([, , selected]) => selected).map(([, text]) => text), ['销售']);
    // 地区 held the code 301: the row of 财务, whose id is 3.
    assert.deepEqual(region.filter(([, , selected]) => selected).map(([, text]) => text), ['财务']);
    const pictures = process.env.TABULON_SCREENSHOTS;
    if (pictures) {
      const clip = await contentArea(ctx.visitor.page);
      await ctx.visitor.page.screenshot({ path: path.join(pictures, 'imported-site-modify.png'), clip });
    }
  });
});

// The reference file with ACE complex columns, beside the checkout (or TABULON_SHARED_DIR).
const sharedRoot = process.env.TABULON_SHARED_DIR ?? fileURLToPath(new URL('../../../shared', import.meta.url));
const complexFile = path.join(sharedRoot, 'docs/jet4-reference/access-made/V2007/complexDataTestV2007.accdb');

describe('an ACE file with attachment and multi-value columns as a running site', {
  skip: fs.existsSync(complexFile) ? false : '../shared/docs/jet4-reference is absent (a clone elsewhere)',
}, () => {
  const ctx = {};
  const project = 'complexDataTestV2007';
  const hidden = ['attach-data', 'multi-value-data', 'VersionHistory'];
  before(async () => {
    await importAndServe(ctx, 'tabulon-e2e-import-ace-', [complexFile], project);
    ctx.table = { name: 'Table1', base: act.pageBase(path.join(ctx.runDir, project), ctx.ids.Table1) };
  });
  after(() => stopServing(ctx));

  it('the list page shows the four rows and their memos, and nothing of the hidden columns', async () => {
    const list = await act.openList(ctx.visitor, ctx.table);
    assert.equal(list.rows.length, 4);
    assert.deepEqual(list.rows.map((r) => r.cells['memo-data']).sort(), ['', 'row2-memo', 'row3-memo', 'row4-memo']);
    for (const header of list.headers) assert.ok(!hidden.some((h) => header.startsWith(h)), `column ${header} on the list page`);
    const html = await ctx.visitor.page.content();
    for (const text of ['test_data.txt', 'value1']) assert.ok(!html.includes(text), `${text} on the list page`);
  });

  it('a save on the modify page keeps the hidden texts', async () => {
    const form = await act.modifyFormValues(ctx.visitor, ctx.table, 2);
    for (const field of Object.keys(form)) assert.ok(!hidden.some((h) => field.startsWith(h)), `${field} on the modify page`);
    await act.modifyRow(ctx.visitor, ctx.table, 2, { 'memo-data': 'row2-edited' });
    const row = workcopy.rowById(ctx.preview.workingCopy(), 'Table1', 2);
    assert.equal(row['memo-data'], 'row2-edited');
    assert.equal(row['attach-data'], 'test_data.txt; test_data2.txt');
    assert.equal(row['multi-value-data'], 'value1, value4');
  });
});
