// The README's pictures of a generated site, taken from the running preview: the sample
// project 记账 built by the command line, served by `tabulon serve`, its rows entered
// through its own add pages, then photographed in headless Chromium.
//   node tests/e2e/screenshots.mjs <tabulon> <site_design> [asphost.exe] [output folder]
// Writes site-login.png (the login page) and site-main.png (main.asp's frames: top bar,
// menu, the list page of 流水帐 on the right).
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from '../../tools/sitecheck/browser.mjs';
import * as act from './lib/actions.mjs';
import { SAMPLE } from './lib/designs.mjs';
import { startPreview } from './lib/preview.mjs';
import { KNOWN_FAULTS, Visitor } from './lib/session.mjs';
import { buildRun, skipUnlessRunnable, tableSpecs } from './lib/sitesuite.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const [tabulon, designWriter, host, outDir = path.join(here, '..', '..', 'docs', 'images')] = process.argv.slice(2);
if (!tabulon || !designWriter) {
  console.error('usage: node screenshots.mjs <tabulon> <site_design> [asphost.exe] [output folder]');
  process.exit(2);
}
skipUnlessRunnable({ tabulon, host });

const KINDS = { 收入: ['工资', '奖金'], 支出: ['餐饮', '交通', '房租', '日用'] };
const RECORDS = [
  ['收入', '工资', '三月工资', '8500', '2025-03-05'],
  ['支出', '餐饮', '午餐', '25.5', '2025-03-06'],
  ['支出', '交通', '地铁月票', '100', '2025-03-06'],
  ['支出', '房租', '三月房租', '2200', '2025-03-08'],
  ['支出', '日用', '超市购物', '168.4', '2025-03-12'],
  ['收入', '奖金', '季度奖金', '1500', '2025-03-20'],
];

const run = buildRun({ tabulon, designWriter }, SAMPLE.project);
const preview = await startPreview({ tabulon, runDir: run.runDir, project: SAMPLE.project });
const browser = await launchBrowser();
try {
  const tables = Object.fromEntries(tableSpecs(run.siteDir, run.tableIds, SAMPLE.tables).map((t) => [t.name, t]));
  const visitor = await Visitor.open(browser, preview.url);
  const logged = await act.login(visitor, SAMPLE.login);
  if (!logged.loggedIn) throw new Error(`could not log in: ${logged.alerts.join(', ')}`);
  let order = 0;
  for (const [kind, types] of Object.entries(KINDS)) {
    await act.addRow(visitor, tables['收支'], { 一级分类: kind });
    for (const type of types) await act.addRow(visitor, tables['消费类型'], { 类型名称: type, 排序: String(++order), 收支类型: kind });
  }
  for (const [kind, type, name, amount, date] of RECORDS) {
    await act.addRow(visitor, tables['流水帐'], { 收支: kind, 消费类型: type, 名称: name, 金额: amount, 日期: date });
  }
  // Faults already known (and reported by the suites) do not stop the pictures.
  const problems = visitor.problems.filter((p) => !KNOWN_FAULTS.some((f) => f.problem?.(p)));
  if (problems.length) throw new Error(`the site had errors:\n${problems.map((p) => `${p.what} (${p.url})`).join('\n')}`);
  await visitor.close();

  fs.mkdirSync(outDir, { recursive: true });
  const guest = await browser.newContext({ baseURL: preview.url, viewport: { width: 1024, height: 600 } });
  const login = await guest.newPage();
  await login.goto('index.asp');
  await login.waitForFunction(() => document.getElementById('verifyimg')?.complete);
  await login.fill('input[name="username"]', SAMPLE.login.user);
  await login.screenshot({ path: path.join(outDir, 'site-login.png') });
  await guest.close();

  const user = await Visitor.open(browser, preview.url);
  await user.page.setViewportSize({ width: 1024, height: 640 });
  await act.login(user, SAMPLE.login);
  const menu = await act.frameNamed(user.page, /menu\.asp$/i);
  await menu.locator(`td[onclick*="${tables['流水帐'].base}_List.asp" i]`).first().evaluate((td) => td.click());
  await act.frameNamed(user.page, new RegExp(`${tables['流水帐'].base}_List\\.asp$`, 'i'));
  await user.page.waitForTimeout(300);
  await user.page.screenshot({ path: path.join(outDir, 'site-main.png') });
  await user.close();
  console.log(`wrote ${path.join(outDir, 'site-login.png')} and site-main.png`);
} finally {
  await browser.close();
  await preview.stop();
  run.cleanup();
}
