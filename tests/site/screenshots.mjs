// The README's pictures of a generated site: the sample project 记账 built by the command
// line, shown in headless Chromium with its server code cut out (lib/pages.mjs). The
// list page has no server to fill it, so a few made-up records are put into its rows.
//   node tests/site/screenshots.mjs <tabulon> [output folder, default docs/images]
// Writes site-login.png (the login page) and site-main.png (main.asp's frames: top bar,
// menu, the list page of 流水帐 on the right).
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from '../../tools/sitecheck/browser.mjs';
import { serveSite } from './lib/pages.mjs';
import { buildSite, makeRun, SAMPLE_PROJECT } from './lib/site.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const [exe, outDir = path.join(here, '..', '..', 'docs', 'images')] = process.argv.slice(2);
if (!exe) {
  console.error('usage: node screenshots.mjs <tabulon> [output folder]');
  process.exit(2);
}

const RECORDS = [
  ['收入', '工资', '三月工资', '8500', '2025-03-05'],
  ['支出', '餐饮', '午餐', '25.5', '2025-03-06'],
  ['支出', '交通', '地铁月票', '100', '2025-03-06'],
  ['支出', '房租', '三月房租', '2200', '2025-03-08'],
  ['支出', '日用', '超市购物', '168.4', '2025-03-12'],
  ['收入', '奖金', '季度奖金', '1500', '2025-03-20'],
];

const values = (expr) => {
  if (/LoginName\(\)/i.test(expr)) return 'vokra';
  if (/Year\(Now\(\)\)/i.test(expr)) return String(new Date().getFullYear());
  return '';
};

const run = makeRun(exe);
let browser = null;
let server = null;
try {
  const site = buildSite(exe, run.runDir, SAMPLE_PROJECT);
  server = await serveSite(site, { values });
  browser = await launchBrowser();
  fs.mkdirSync(outDir, { recursive: true });

  const login = await browser.newPage({ viewport: { width: 1024, height: 600 } });
  await login.goto(`${server.url}/index.asp`);
  await login.fill('input[name="username"]', 'vokra');
  await login.fill('input[name="pwd"]', 'vokra');
  await login.fill('input[name="verifycode"]', '2580');
  await login.evaluate(() => document.activeElement.blur());
  await login.screenshot({ path: path.join(outDir, 'site-login.png') });

  const main = await browser.newPage({ viewport: { width: 1024, height: 640 } });
  await main.goto(`${server.url}/main.asp`);
  await main.waitForLoadState('load');
  const frame = (name) => main.frames().find((f) => f.name() === name);
  // The user opens the group of 流水帐 and its tab.
  const left = frame('left');
  await left.click('text=流水帐');
  await left.click('text=用户');
  const right = frame('right');
  await Promise.all([right.waitForNavigation(), frame('topFrame').click('div.menu a:text("流水帐")')]);
  await right.evaluate((records) => {
    const template = document.querySelector('tr[onmouseover]');
    for (const [n, record] of records.entries()) {
      const row = template.cloneNode(true);
      const cells = row.querySelectorAll(':scope > td');
      record.forEach((value, i) => {
        cells[i].textContent = `\u00a0${value}`;
      });
      row.querySelector('a').href = `LSZ27_Modify.asp?ID=${n + 1}`;
      row.querySelector('input[type="checkbox"]').value = String(n + 1);
      template.parentNode.insertBefore(row, template);
    }
    template.remove();
    document.querySelector('td.nodata').parentNode.remove();
    const disabled = ['首页', '上一页', '下一页', '尾页'].map((t) => `<span class="disabled">${t}</span>`).join('');
    document.querySelector('td.pagebar').innerHTML = `共 ${records.length} 条记录，第 1/1 页 ${disabled}`;
  }, RECORDS);
  await main.mouse.move(600, 250);
  await main.waitForTimeout(200);
  await main.screenshot({ path: path.join(outDir, 'site-main.png') });
  console.log(`wrote ${path.join(outDir, 'site-login.png')} and site-main.png`);
} finally {
  if (browser) await browser.close();
  if (server) await server.close();
  run.cleanup();
}
