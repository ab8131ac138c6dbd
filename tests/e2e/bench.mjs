// Speed of the preview, measured the way a user meets it (not a test: it reports figures).
//   node tests/e2e/bench.mjs <tabulon> <site_design> [asphost.exe] [--skip-suites]
// Prints:
//   - seconds from starting `tabulon serve` to the first page answered, with a Wine prefix
//     made on the way (a fresh XDG_CACHE_HOME) and with the prefix already there;
//   - request latency, median and p95, over every request of both end-to-end suites;
//   - the list page's time on a table of 10,000 rows (first and last page).
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from '../../tools/sitecheck/browser.mjs';
import * as act from './lib/actions.mjs';
import { RICH } from './lib/designs.mjs';
import { startPreview } from './lib/preview.mjs';
import { Visitor } from './lib/session.mjs';
import { buildRun, skipUnlessRunnable, tableSpecs } from './lib/sitesuite.mjs';
import * as wc from './lib/workcopy.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const [tabulon, designWriter, host] = process.argv.slice(2).filter((a) => !a.startsWith('--'));
const skipSuites = process.argv.includes('--skip-suites');
if (!tabulon || !designWriter) {
  console.error('usage: node bench.mjs <tabulon> <site_design> [asphost.exe] [--skip-suites]');
  process.exit(2);
}
skipUnlessRunnable({ tabulon, host });

function quantile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

const fmt = (ms) => `${ms.toFixed(1)} ms`;

/** Seconds from spawning serve to the first 200 answer of index.asp. */
async function firstPage(runDir, project, env) {
  const started = process.hrtime.bigint();
  const preview = await startPreview({ tabulon, runDir, project, env, testHooks: false });
  try {
    for (;;) {
      const response = await fetch(`${preview.url}index.asp`).catch(() => null);
      if (response?.status === 200) {
        await response.arrayBuffer();
        break;
      }
      await new Promise((r) => setTimeout(r, 20));
    }
    return Number(process.hrtime.bigint() - started) / 1e9;
  } finally {
    await preview.stop();
  }
}

async function startupFigures() {
  const run = buildRun({ tabulon, designWriter }, '记账');
  const cache = fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-bench-cache-'));
  try {
    const env = { XDG_CACHE_HOME: cache };
    const noPrefix = await firstPage(run.runDir, '记账', env);
    const withPrefix = await firstPage(run.runDir, '记账', env);
    console.log(`serve → first page, no Wine prefix yet: ${noPrefix.toFixed(2)} s`);
    console.log(`serve → first page, prefix there:       ${withPrefix.toFixed(2)} s`);
  } finally {
    run.cleanup();
    fs.rmSync(cache, { recursive: true, force: true });
  }
}

function suiteLatencies() {
  const timings = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-bench-')), 'timings.txt');
  fs.writeFileSync(timings, '');
  for (const suite of ['sample', 'rich']) {
    const r = spawnSync(process.execPath, [path.join(here, `${suite}.test.mjs`), tabulon, designWriter, host ?? ''], {
      env: { ...process.env, TABULON_E2E_TIMINGS: timings }, encoding: 'utf8', timeout: 1_800_000,
    });
    console.log(`suite ${suite}: exit ${r.status}`);
    // A failing suite still times its requests; say which tests failed.
    if (r.status !== 0) console.log(r.stdout.split('\n').filter((l) => /^\s*✖|Error/.test(l)).slice(0, 8).join('\n'));
  }
  const ms = fs.readFileSync(timings, 'utf8').split('\n').filter(Boolean).map(Number);
  if (ms.length) console.log(`request latency over the suites (${ms.length} requests): median ${fmt(quantile(ms, 0.5))}, p95 ${fmt(quantile(ms, 0.95))}`);
}

/** The list page of 器材 with 10,000 rows: rows copied inside the working copy from one added row. */
async function bigListFigures() {
  const run = buildRun({ tabulon, designWriter }, RICH.project, RICH);
  const preview = await startPreview({ tabulon, runDir: run.runDir, project: RICH.project });
  const browser = await launchBrowser();
  try {
    const table = tableSpecs(run.siteDir, run.tableIds, RICH.tables).find((t) => t.name === '器材');
    const visitor = await Visitor.open(browser, preview.url);
    const logged = await act.login(visitor, RICH.login);
    if (!logged.loggedIn) throw new Error(`could not log in: ${logged.alerts.join(', ')}`);
    await visitor.page.goto(act.pageUrl(table, 'Add'));
    const names = Object.fromEntries((await act.formRows(visitor.page.mainFrame())).map((r) => [r.field, r.name]));
    const numbers = Object.fromEntries(['数量', '库位', '单价', '重量', '等级', '金额', '主类'].map((f) => [names[f], 1]));
    await act.postAdd(visitor, table, { ...numbers, [names.名称]: '样本', [names.购入]: '2024-01-01', [names.在用]: 'True' });
    const copy = preview.workingCopy();
    const columns = wc.columnNames(copy, '器材').filter((c) => c.toLowerCase() !== 'id').map((c) => `"${c}"`).join(', ');
    wc.execute(copy, `WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9999)
      INSERT INTO "器材" (${columns}) SELECT ${columns} FROM "器材", n;`);
    const rows = wc.count(copy, '器材');
    const timeOf = async (query) => {
      const times = [];
      for (let i = 0; i < 12; i++) {
        const t0 = performance.now();
        const response = await visitor.context.request.get(act.pageUrl(table, 'List', query));
        await response.body();
        if (response.status() !== 200) throw new Error(`the list answered ${response.status()}`);
        times.push(performance.now() - t0);
      }
      return quantile(times.slice(2), 0.5);
    };
    const pages = Math.ceil(rows / 15);
    console.log(`list page of ${rows} rows: page 1 ${fmt(await timeOf(''))}, page ${pages} ${fmt(await timeOf(`?page=${pages}`))} (median of 10)`);
    await visitor.close();
  } finally {
    await browser.close();
    await preview.stop();
    run.cleanup();
  }
}

await startupFigures();
if (!skipSuites) suiteLatencies();
await bigListFigures();
