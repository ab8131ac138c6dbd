// The browser harness proves itself: a GBK fixture page served by
// serveFolder (server code stripped, names matched without regard to case)
// runs its script in Debian's Chromium, writes into inputs, and fetches a
// drop-down from a faked GetClass.asp; the test reads the results back.
// Exit 77 (skipped) only when chromium is not installed.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { browserMissing, launchBrowser, serveFolder, stripServerBlocks } from '../../browser.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const site = path.join(here, 'fixtures', 'site');

const missing = browserMissing();
if (missing) {
  console.log(`SKIP: ${missing}`);
  process.exit(77);
}


const stubCalls = [];
const server = await serveFolder(site, {
  values: (expr) => (/getdate/i.test(expr) ? '2024-05-06' : ''),
  stubs: {
    '/manage/GetClass.asp': (req) => {
      stubCalls.push({ stype: req.query.get('Stype'), next: req.query.get('next') });
      return { body: `<select name="S_${req.query.get('next')}"><option value="1">收入</option><option value="2">支出</option></select>` };
    },
  },
});
let browser = null;
try {
  browser = await launchBrowser();
  const page = await browser.newPage();
  const consoleErrors = [];
  page.on('pageerror', (e) => consoleErrors.push(String(e)));

  await test('the page loads from a path spelled in another case, as GBK', async () => {
    const response = await page.goto(`${server.url}/MANAGE/form.asp`);
    assert.equal(response.status(), 200);
    assert.equal(response.headers()['content-type'], 'text/html; charset=gb2312');
    assert.equal(await page.title(), '表单');
  });

  await test('the server code is gone and <%= %> holds the provided value', async () => {
    const html = await page.content();
    assert.doesNotMatch(html, /<%|%>|#include/);
    assert.equal(await page.inputValue('#S_1'), '2024-05-06');
  });

  await test("the page's own script writes Chinese text into an input", async () => {
    assert.equal(await page.inputValue('#S_2'), '记账3');
  });

  await test('the script file (../JS/Fill.js, stored as js/fill.js) loaded and fetched the faked GetClass.asp', async () => {
    await page.waitForSelector('#S_3 select', { timeout: 10_000 });
    assert.deepEqual(await page.$$eval('#S_3 option', (os) => os.map((o) => o.textContent)), ['收入', '支出']);
    assert.deepEqual(stubCalls, [{ stype: '收支', next: '3' }]);
    assert.ok(server.requests.some((r) => r.path === '/JS/Fill.js'));
  });

  await test('no script error on the page; a missing file answers 404', async () => {
    assert.deepEqual(consoleErrors, []);
    const r = await page.goto(`${server.url}/manage/nothing.asp`);
    assert.equal(r.status(), 404);
  });

  await test('stripServerBlocks without values empties <%= %>', async () => {
    const fs = await import('node:fs');
    const html = stripServerBlocks(fs.readFileSync(path.join(site, 'manage', 'Form.asp')));
    assert.match(html, /id="S_1" value=""/);
    assert.doesNotMatch(html, /request\.Cookies|<%/);
  });
} finally {
  if (browser) await browser.close();
  await server.close();
}

