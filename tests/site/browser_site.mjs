// Generated sites in headless Chromium, pages served with their server code cut out
// (lib/pages.mjs gives the few server answers the browser side needs):
//   the sample project 记账 (a cascade on the add page of 流水帐), 日记本 (a date box and
//   two rich-text fields on one form; desk and footer written from their template rows)
//   and 九表 (nine tables, more menu groups than the template's own loops reach).
//   node browser_site.mjs <tabulon> <site_design>
// Exit 77 (skipped) only when chromium is not installed.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { browserMissing, gbkParams, launchBrowser } from '../../tools/sitecheck/browser.mjs';
import { serveSite } from './lib/pages.mjs';
import { addDesign, buildSite, DIARY, makeRun, NINE_TABLES, SAMPLE_PROJECT, templateRow, writePage } from './lib/site.mjs';

const missing = browserMissing();
if (missing) {
  console.log(`SKIP: ${missing}`);
  process.exit(77);
}

const [exe, siteDesign] = process.argv.slice(2);
const run = makeRun(exe);
const servers = [];
let browser = null;

const values = (expr) => (/LoginName\(\)/i.test(expr) ? 'vokra' : '');

// Every request of a page and its frames that failed, and every script error.
function watch(page) {
  const problems = [];
  page.on('response', (r) => {
    if (r.status() >= 400) problems.push(`${r.status()} ${r.url()}`);
  });
  page.on('requestfailed', (r) => problems.push(`failed ${r.url()}`));
  page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
  return problems;
}

async function brokenImages(frame) {
  return frame.$$eval('img', (imgs) => imgs.filter((i) => !i.complete || i.naturalWidth === 0).map((i) => i.getAttribute('src')));
}

async function serve(siteDir, options = {}) {
  const server = await serveSite(siteDir, { values, ...options });
  servers.push(server);
  return server;
}

try {
  const sample = buildSite(exe, run.runDir, SAMPLE_PROJECT);
  const diary = addDesign(siteDesign, run.runDir, DIARY);
  const diarySite = buildSite(exe, run.runDir, diary.project);
  const nine = addDesign(siteDesign, run.runDir, NINE_TABLES);
  const nineSite = buildSite(exe, run.runDir, nine.project);
  // The desk and footer rows are pages the user may put in place of the skeleton's.
  writePage(path.join(diarySite, 'desk.asp'), templateRow(siteDesign, run.runDir, 50));
  writePage(path.join(diarySite, 'bottom.asp'), templateRow(siteDesign, run.runDir, 51));
  const diaryAdd = `/manage/RJ${diary.tables['日记']}_Add.asp`;
  browser = await launchBrowser();

  await test('the date picker puts today and a picked day into the date box as yyyy-mm-dd', async () => {
    const server = await serve(diarySite);
    const page = await browser.newPage();
    const problems = watch(page);
    await page.goto(server.url + diaryAdd);
    const box = page.locator('input.Wdate');
    assert.equal(await box.count(), 1);
    const today = await page.evaluate(() => {
      const d = new Date();
      return `${d.getFullYear()}-${String(d.getMonth() + 1).padStart(2, '0')}-${String(d.getDate()).padStart(2, '0')}`;
    });
    await box.click();
    await page.locator('#WdateDiv').waitFor({ state: 'visible' });
    await page.click('#wd-today');
    assert.equal(await box.inputValue(), today);
    await page.locator('#WdateDiv').waitFor({ state: 'hidden' });

    await box.click();
    await page.click('#wd-prev-month');
    const day = page.locator('td.wd-day:not(.wd-other)[data-date$="-15"]');
    const picked = await day.getAttribute('data-date');
    await day.click();
    assert.equal(await box.inputValue(), picked);
    assert.match(picked, /^\d{4}-\d{2}-15$/);
    const [y, m] = today.split('-').map(Number);
    const before = new Date(y, m - 2, 15);
    assert.equal(picked, `${before.getFullYear()}-${String(before.getMonth() + 1).padStart(2, '0')}-15`, 'the day is in the month before');
    assert.deepEqual(problems, []);
    await page.close();
  });

  await test('two rich-text editors on one form each keep their HTML in their own hidden input', async () => {
    const server = await serve(diarySite);
    const page = await browser.newPage();
    const problems = watch(page);
    await page.goto(server.url + diaryAdd);
    const frames = await page.$$('iframe[src*="ewebeditor.htm"]');
    assert.equal(frames.length, 2);
    const typed = ['第一篇正文：晴', 'second <field> & more'];
    const fields = [];
    for (const [n, handle] of frames.entries()) {
      const field = new URL(await handle.getAttribute('src'), server.url).searchParams.get('id');
      fields.push(field);
      const editor = await handle.contentFrame();
      await editor.waitForSelector(`body[data-field="${field}"]`);
      await editor.click('#eweb-content');
      if (n === 0) await editor.click('#eweb-bold');
      await editor.locator('#eweb-content').pressSequentially(typed[n]);
    }
    assert.equal(new Set(fields).size, 2);
    const hidden = [];
    for (const field of fields) {
      assert.equal(await page.locator(`input[type="hidden"][name="${field}"]`).count(), 1, field);
      hidden.push(await page.inputValue(`#${field}`));
    }
    assert.match(hidden[0], /<(b|strong)>第一篇正文：晴<\/(b|strong)>/);
    assert.ok(!hidden[0].includes('second'));
    assert.ok(hidden[1].includes('second &lt;field&gt; &amp; more'), hidden[1]);
    assert.ok(!hidden[1].includes('正文'));

    // Submitting sends both, in GBK, beside the other fields.
    const [post] = await Promise.all([
      page.waitForRequest((r) => r.method() === 'POST'),
      page.evaluate(() => document.forms.form1.requestSubmit()),
    ]);
    const form = gbkParams(post.postData());
    assert.equal(form.get(fields[0]), hidden[0]);
    assert.equal(form.get(fields[1]), hidden[1]);
    assert.equal(form.get('action'), 'add');
    assert.deepEqual(problems, []);
    await page.close();
  });

  await test('check() refuses a malformed date before posting, and the form posts its token', async () => {
    const server = await serve(diarySite);
    const page = await browser.newPage();
    const problems = watch(page);
    await page.goto(server.url + diaryAdd);
    assert.equal(await page.evaluate(() => typeof check), 'function', 'the submit button calls a check() that exists');
    const alerts = [];
    page.on('dialog', (d) => {
      alerts.push(d.message());
      d.dismiss();
    });
    await page.fill('#S_2', '2024-13-xx');
    let posted = false;
    page.on('request', (r) => {
      if (r.method() === 'POST') posted = true;
    });
    await page.click('input[type="submit"]');
    await page.waitForTimeout(200);
    assert.deepEqual(alerts, ['日期不是有效的日期']);
    assert.equal(posted, false, 'nothing is sent');
    await page.fill('#S_2', '2024-02-29');
    const [post] = await Promise.all([page.waitForRequest((r) => r.method() === 'POST'), page.click('input[type="submit"]')]);
    const form = gbkParams(post.postData());
    assert.ok(form.has('kovel_token'), 'the form carries the session token');
    assert.equal(form.get('S_2'), '2024-02-29');
    assert.deepEqual(problems, []);
    await page.close();
  });

  await test('the rich-text editor shows stored HTML without running any of it', async () => {
    const server = await serve(diarySite);
    const page = await browser.newPage();
    const problems = watch(page);
    await page.goto(server.url + diaryAdd);
    // A stored value as the modify page would hand it over in the hidden input.
    await page.evaluate(() => {
      window.ranScript = 0;
      document.getElementById('S_3').value =
        '<p>保留</p><img src="x" onerror="parent.ranScript++"><script>parent.ranScript++</script><a href="javascript:parent.ranScript++">a</a>';
      const frame = document.querySelector('iframe[src*="id=S_3"]');
      frame.src = frame.getAttribute('src') + '&reload=1';
    });
    const frame = page.frames().find((f) => f.url().includes('id=S_3'));
    await page.waitForTimeout(100);
    const editor = page.frames().find((f) => f.url().includes('reload=1')) ?? frame;
    await editor.waitForSelector('#eweb-content p');
    await page.waitForTimeout(300);
    assert.equal(await page.evaluate(() => window.ranScript), 0);
    const shown = await editor.$eval('#eweb-content', (c) => c.innerHTML);
    assert.match(shown, /<p>保留<\/p>/);
    assert.ok(!/onerror|<script|javascript:/i.test(shown), shown);
    assert.deepEqual(problems.filter((p) => !p.includes('/x')), []);
    await page.close();
  });

  for (const [site, tables] of [[diarySite, DIARY.tables.length], [nineSite, NINE_TABLES.tables.length]]) {
    await test(`the left menu of ${tables} tables opens on g_1 and collapses and expands every group`, async () => {
      const server = await serve(site);
      const page = await browser.newPage();
      const problems = watch(page);
      await page.goto(`${server.url}/menu.asp`);
      const ids = await page.$$eval('td[id^="g_"]', (tds) => tds.map((td) => td.id));
      assert.deepEqual(ids, Array.from({ length: tables }, (_, i) => `g_${i + 1}`));
      const shown = () => page.$$eval('td[id^="g_"]', (tds) => tds.map((td) => td.getClientRects().length > 0));
      const all = (v) => ids.map(() => v);
      assert.deepEqual(await shown(), ids.map((id) => id === 'g_1'));
      for (const [k, id] of ids.entries()) {
        const before = (await shown())[k];
        await page.click(`td[onclick="collapse('${id}')"]`);
        assert.equal((await shown())[k], !before, `${id} after one click`);
        await page.click(`td[onclick="collapse('${id}')"]`);
        assert.equal((await shown())[k], before, `${id} after two clicks`);
      }
      await page.click('text=全部展开');
      assert.deepEqual(await shown(), all(true));
      await page.click('text=全部收起');
      assert.deepEqual(await shown(), all(false));
      await page.click('text=全部展开');
      assert.deepEqual(await shown(), all(true));
      assert.deepEqual(problems, []);
      await page.close();
    });
  }

  await test('choosing 收支 on the add page of 流水帐 puts the answered select into span S_2', async () => {
    const calls = [];
    const server = await serve(sample, {
      options: (name) => (name === 'S_1' ? '<option value="1">收入</option><option value="2">支出</option>' : ''),
      stubs: {
        '/manage/GetClass.asp': (req) => {
          const q = Object.fromEntries(req.query);
          calls.push(q);
          const names = q.ajaxdata === '1' ? ['工资', '奖金'] : ['餐饮', '交通', '房租'];
          const items = names.map((n, i) => `<option value="${q.ajaxdata}${i}">${n}</option>`).join('');
          return { body: `<select name="S_${q.next}" id="S_${q.next}">${items}</select>` };
        },
      },
    });
    const page = await browser.newPage();
    const problems = watch(page);
    await page.goto(`${server.url}/manage/LSZ27_Add.asp`);
    assert.equal(await page.locator('span#S_2').count(), 1, 'the span of the dependent field');
    const answered = (text) => page.waitForFunction((t) => document.getElementById('S_2').textContent.includes(t), text);
    // Without any click the dependent list is filled for the first choice, so keeping it
    // still posts a dependent value.
    await answered('奖金');
    assert.deepEqual(await page.$$eval('#S_2 option', (os) => os.map((o) => o.textContent)), ['工资', '奖金']);

    // A choice made with the keyboard refreshes the dependent list too.
    await page.focus('#S_1');
    await page.keyboard.press('ArrowDown');
    await answered('房租');
    assert.equal(await page.$eval('#S_1', (s) => s.value), '2');
    assert.deepEqual(await page.$$eval('#S_2 option', (os) => os.map((o) => o.textContent)), ['餐饮', '交通', '房租']);
    assert.equal(await page.$eval('#S_2', (span) => span.tagName), 'SPAN', 'the answer goes inside the span');
    // Opening the list without changing it keeps the dependent choice: a click asks nothing.
    await page.dispatchEvent('#S_1', 'click');
    await page.selectOption('#S_1', '1');
    await answered('奖金');
    assert.deepEqual(await page.$$eval('#S_2 option', (os) => os.map((o) => o.textContent)), ['工资', '奖金']);

    assert.equal(calls.length, 3);
    const { rnd, ...first } = calls[1];
    assert.match(rnd ?? '', /^\d+$/);
    assert.deepEqual(first, { table: '流水帐', Stype: '消费类型', filed: '类型名称', condition: '收支类型', order: '1', next: '2', ajaxdata: '2' });
    assert.deepEqual([calls[0].ajaxdata, calls[2].ajaxdata], ['1', '1']);
    assert.deepEqual(problems, []);
    await page.close();
  });

  await test('the login page shows all its images, checks the form and posts username, pwd and the code', async () => {
    const server = await serve(sample);
    const page = await browser.newPage();
    const problems = watch(page);
    await page.goto(`${server.url}/index.asp`);
    assert.deepEqual(await brokenImages(page), []);
    assert.ok((await page.$$('img')).length >= 3);

    const posts = [];
    page.on('request', (r) => r.method() === 'POST' && posts.push(r));
    await page.click('input[type="submit"]');
    assert.notEqual((await page.textContent('#loginmsg')).trim(), '', 'an empty form gets a message');
    assert.equal(await page.evaluate(() => document.activeElement.name), 'username');
    assert.equal(posts.length, 0);

    const codes = server.requests.filter((r) => r.path === '/inc/verifycode.asp').length;
    await page.click('img.verifycode');
    await page.waitForFunction(() => /\?t=\d+/.test(document.querySelector('img.verifycode').src));
    assert.equal(server.requests.filter((r) => r.path === '/inc/verifycode.asp').length, codes + 1, 'a new code is fetched');

    await page.fill('input[name="username"]', '管理员');
    await page.fill('input[name="pwd"]', "it's");
    await page.fill('input[name="verifycode"]', '2580');
    const [post] = await Promise.all([page.waitForRequest((r) => r.method() === 'POST'), page.click('input[type="submit"]')]);
    assert.equal(new URL(post.url()).pathname, '/index.asp');
    const form = gbkParams(post.postData());
    assert.deepEqual([form.get('username'), form.get('pwd'), form.get('verifycode'), form.get('action')], ['管理员', "it's", '2580', 'login']);
    assert.deepEqual(problems, []);
    await page.close();
  });

  for (const [name, site] of [
    [SAMPLE_PROJECT, sample],
    [`${diary.project} (desk and footer from their template rows)`, diarySite],
  ]) {
    await test(`main.asp of ${name}: every frame shows its images, menu and tabs open pages on the right`, async () => {
      const server = await serve(site);
      const page = await browser.newPage({ viewport: { width: 1024, height: 640 } });
      const problems = watch(page);
      await page.goto(`${server.url}/main.asp`);
      await page.waitForLoadState('load');
      const frames = Object.fromEntries(page.frames().filter((f) => f.parentFrame()).map((f) => [f.name(), f]));
      assert.deepEqual(Object.keys(frames).sort(), ['bottomFrame', 'left', 'right', 'topFrame']);
      for (const [frameName, frame] of Object.entries(frames)) {
        assert.deepEqual(await brokenImages(frame), [], `broken images in ${frameName}`);
      }
      const top = frames.topFrame;
      const fits = await top.evaluate(() => ({ height: document.documentElement.scrollHeight, view: window.innerHeight }));
      assert.ok(fits.height <= fits.view, `the top bar is ${fits.height} px high in a ${fits.view} px frame`);
      const left = frames.left;
      const wide = await left.evaluate(() => ({ width: document.documentElement.scrollWidth, view: window.innerWidth }));
      assert.ok(wide.width <= wide.view, `the menu is ${wide.width} px wide in a ${wide.view} px frame`);

      // The first group's 添加记录 and the last tab open their pages in the right frame.
      const addItem = left.locator('td[onclick*="_Add.asp"]').first();
      const addPage = (await addItem.getAttribute('onclick')).match(/'(manage\/\w+_Add\.asp)'/)[1];
      await Promise.all([frames.right.waitForNavigation(), addItem.click()]);
      assert.equal(new URL(frames.right.url()).pathname, `/${addPage}`);
      assert.deepEqual(await brokenImages(frames.right), []);

      const tab = top.locator('div.menu a').last();
      const listPage = await tab.getAttribute('href');
      assert.match(listPage, /^manage\/\w+_List\.asp$/);
      await Promise.all([frames.right.waitForNavigation(), tab.click()]);
      assert.equal(new URL(frames.right.url()).pathname, `/${listPage}`);
      assert.match(await tab.evaluate((a) => a.parentNode.className), /\bmenuon\b/);
      assert.equal(await top.$$eval('div.menuon', (d) => d.length), 1, 'one tab is marked');
      assert.deepEqual(await brokenImages(frames.right), []);
      assert.deepEqual(problems, []);
      await page.close();
    });
  }
} finally {
  if (browser) await browser.close();
  for (const server of servers) await server.close();
  run.cleanup();
}
