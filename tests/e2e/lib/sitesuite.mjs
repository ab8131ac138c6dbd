// The whole suite for one site: a fresh run folder, the design built by the command line,
// `tabulon serve` started, then every check of a user's day in headless Chromium.
//
//   node <site>.test.mjs <tabulon> <e2e_design> <asphost.exe>
// Exits 77 (skipped, with the reason) when the preview cannot run here.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { browserMissing, launchBrowser } from '../../tools/browser.mjs';
import * as act from './actions.mjs';
import { designText } from './designs.mjs';
import { previewMissing, startPreview } from './preview.mjs';
import { sitePages, Visitor } from './session.mjs';
import { TableFlow } from './tableflow.mjs';
import { sqliteMissing } from './workcopy.mjs';

export function programs() {
  const [tabulon, designWriter, host] = process.argv.slice(2);
  if (!tabulon) {
    console.error('usage: node <site>.test.mjs <tabulon> <e2e_design> [asphost.exe]');
    process.exit(2);
  }
  return { tabulon, designWriter, host };
}

/** Exits 77 with the reason when Chromium, sqlite3, Wine, the host or `serve` is missing. */
export function skipUnlessRunnable({ tabulon, host }) {
  const reason = browserMissing() ?? sqliteMissing() ?? previewMissing({ tabulon, host });
  if (reason) {
    console.log(`SKIP: ${reason}`);
    process.exit(77);
  }
}

function run(program, args, input) {
  const r = spawnSync(program, args, { input, encoding: 'utf8', timeout: 120_000 });
  if (r.error) throw r.error;
  if (r.status !== 0) throw new Error(`${path.basename(program)} ${args.join(' ')} failed (${r.status}):\n${r.stdout}${r.stderr}`);
  return r.stdout;
}

/**
 * A fresh run folder whose catalogue holds `design` (when given), and the built site.
 * Returns {runDir, siteDir, tableIds: {name: id}, cleanup()}.
 */
export function buildRun({ tabulon, designWriter }, project, design = null) {
  const runDir = fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-e2e-'));
  const tableIds = {};
  run(tabulon, ['--run-dir', runDir, 'projects']);
  if (design) {
    for (const line of run(designWriter, [runDir], designText(design)).split('\n')) {
      const [kind, id, name] = line.split('\t');
      if (kind === 'table') tableIds[name] = Number(id);
    }
  } else {
    for (const line of run(tabulon, ['--run-dir', runDir, 'tables', project]).split('\n')) {
      const m = line.match(/^(\d+)\s+(\S+)/);
      if (m) tableIds[m[2]] = Number(m[1]);
    }
  }
  run(tabulon, ['--run-dir', runDir, 'build', project]);
  const siteDir = path.join(runDir, project);
  return { runDir, siteDir, tableIds, cleanup: () => fs.rmSync(runDir, { recursive: true, force: true }) };
}

/**
 * Table specs with their ids and page base names: [{name, id, base, fields: [{name, type,
 * input, link}], editor}] from a design's tables.
 */
export function tableSpecs(siteDir, tableIds, tables) {
  return tables.map((t) => ({
    name: t.name,
    id: tableIds[t.name],
    base: act.pageBase(siteDir, tableIds[t.name]),
    fields: t.fields.map(([name, type, , input, linkTable, linkField]) => ({
      name, type, input, editor: input === '文本域', link: linkTable ? { table: linkTable, field: linkField } : null,
    })),
  }));
}

/**
 * Starts everything a site's suite needs; `context` gets {run, preview, copy, browser,
 * visitor, tables, siteDir} in before() and is torn down in after().
 */
export function servedSite({ programs: progs, project, design, tables }) {
  const context = {};
  before(async () => {
    context.run = buildRun(progs, project, design);
    context.siteDir = context.run.siteDir;
    context.tables = Object.fromEntries(tableSpecs(context.siteDir, context.run.tableIds, tables).map((t) => [t.name, t]));
    context.preview = await startPreview({ tabulon: progs.tabulon, runDir: context.run.runDir, project });
    context.browser = await launchBrowser();
    context.visitor = await Visitor.open(context.browser, context.preview.url, { label: project });
    // The working copy exists once the first page has asked for the database.
    await context.visitor.page.goto('index.asp');
    context.copy = context.preview.workingCopy();
    context.flow = (name) => new TableFlow({ visitor: context.visitor, copy: context.copy, table: context.tables[name] });
  });
  after(async () => {
    await context.visitor?.close().catch(() => {});
    await context.browser?.close().catch(() => {});
    await context.preview?.stop().catch(() => {});
    if (!process.env.TABULON_E2E_KEEP) context.run?.cleanup();
    else console.log(`kept ${context.run?.runDir}`);
  });
  return context;
}

/** Login checks: a wrong code is refused, a wrong password is refused, the account gets in. */
export function loginChecks(context, account) {
  it('index.asp refuses a wrong code and a wrong password, then logs the account in', async () => {
    const { visitor } = context;
    const refusedCode = await visitor.step('index.asp', 'logging in with a wrong verification code', () => act.login(visitor, { ...account, code: 'wrong' }));
    assert.equal(refusedCode.loggedIn, false, 'index.asp: a wrong verification code should not log in');
    assert.ok(refusedCode.alerts.includes(act.MESSAGES.badCode) || (await visitor.page.content()).includes(act.MESSAGES.badCode),
      `index.asp: expected the message ${act.MESSAGES.badCode}, got ${refusedCode.alerts.join(', ')}`);

    const refused = await visitor.step('index.asp', 'logging in with a wrong password', () => act.login(visitor, { ...account, password: `${account.password}x` }));
    assert.equal(refused.loggedIn, false, 'index.asp: a wrong password should not log in');
    assert.ok(refused.alerts.includes(act.MESSAGES.badLogin), `index.asp: expected the alert ${act.MESSAGES.badLogin}, got ${refused.alerts.join(', ')}`);

    const ok = await visitor.step('index.asp', `logging in as ${account.user}`, () => act.login(visitor, account));
    assert.equal(ok.loggedIn, true, `index.asp: expected main.asp after logging in, the browser is at ${visitor.page.url()} (alerts: ${ok.alerts.join(', ')})`);
  });
}

/** The frame set, the top bar and the left menu: every table's add and list links open in the right frame. */
export function frameChecks(context, account) {
  it('main.asp shows the top bar with the user, and a menu group per table whose links open in the right frame', async () => {
    const { visitor, tables } = context;
    const { page } = visitor;
    await visitor.step('main.asp', 'opening the frame set', () => page.goto('main.asp'));
    const top = await visitor.step('main.asp', 'loading top.asp', () => act.frameNamed(page, /top\.asp$/i));
    assert.ok((await top.textContent('body')).includes(account.user), `top.asp: expected the user ${account.user} in the top bar`);
    const menu = await visitor.step('main.asp', 'loading menu.asp', () => act.frameNamed(page, /menu\.asp$/i));
    for (const table of Object.values(tables)) {
      for (const [kind, text] of [['Add', '添加记录'], ['List', '浏览查询']]) {
        const link = menu.locator(`a[href*="${table.base}_${kind}.asp" i]`);
        assert.ok((await link.count()) >= 1, `menu.asp: expected a link ${text} to ${table.base}_${kind}.asp for ${table.name}`);
        const target = await link.first().getAttribute('target');
        await visitor.step('menu.asp', `${text} of ${table.name}`, async () => {
          await link.first().evaluate((a) => a.closest('[id^="g_"]') && (a.closest('[id^="g_"]').style.display = ''));
          await link.first().click();
          const frame = await act.frameNamed(page, new RegExp(`${table.base}_${kind}\\.asp$`, 'i'));
          assert.ok(target, `menu.asp: the link ${text} of ${table.name} should name its frame`);
          assert.equal(frame.name(), target, `menu.asp: ${text} of ${table.name} should open in the frame ${target}`);
        });
      }
    }
  });
}

/** Logging out: the login page comes back and the pages refuse the visitor. */
export function logoutChecks(context) {
  it('退出 logs out: the login page is back and a list page refuses the visitor', async () => {
    const { visitor, tables } = context;
    await visitor.step('top.asp', 'clicking 退出', () => act.logout(visitor));
    const table = Object.values(tables)[0];
    const mark = visitor.dialogs.length;
    const list = await visitor.step(act.pageUrl(table, 'List'), 'opening it after logging out', () => act.openList(visitor, table));
    assert.deepEqual(list.rows, [], `${act.pageUrl(table, 'List')}: expected no rows after logging out`);
    assert.ok(visitor.alertsSince(mark).includes(act.MESSAGES.noRight), `${act.pageUrl(table, 'List')}: expected the alert ${act.MESSAGES.noRight} after logging out`);
  });
}

/** Every .asp page of the site, logged in, answers without a server error or a script error. */
export function everyPageChecks(context, account) {
  it('every page of the site answers without a server or script error', async () => {
    const { browser, preview, siteDir } = context;
    const sweeper = await Visitor.open(browser, preview.url, { label: 'sweep' });
    try {
      const logged = await sweeper.step('index.asp', 'logging in for the sweep', () => act.login(sweeper, account));
      assert.equal(logged.loggedIn, true, 'index.asp: the sweep could not log in');
      const pages = sitePages(siteDir).filter((p) => p !== '/exit.asp').concat('/exit.asp');
      const failures = [];
      for (const p of pages) {
        try {
          await sweeper.step(p, 'requesting it', async () => {
            const response = await sweeper.page.goto(p.slice(1));
            assert.ok(response && response.status() < 500, `expected no server error, got HTTP ${response?.status()}`);
          });
        } catch (e) {
          failures.push(e.message);
        }
      }
      assert.deepEqual(failures, [], `pages with errors:\n${failures.join('\n')}`);
    } finally {
      await sweeper.close();
    }
  });
}

export { TableFlow };
