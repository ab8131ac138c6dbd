#!/usr/bin/env node
// Drives the search bar of a generated list page in headless Chromium (server code cut
// out) and checks the SearchText the form posts: conditions built from the field,
// operator and value inputs, a date range from the two date inputs, joined by "；".
//
//   node list_search_builder.mjs <run folder written by pages_design_site>
//
// Exit 0 pass, 1 fail, 77 no browser here.
import assert from 'node:assert/strict';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const { browserMissing, launchBrowser, serveFolder } = await import(path.join(here, '..', '..', 'tools', 'sitecheck', 'browser.mjs'));
const SKIP = 77;

const runDir = process.argv[2];
if (!runDir) {
  console.error('usage: list_search_builder.mjs <run folder>');
  process.exit(2);
}

// application/x-www-form-urlencoded in GBK, as the page's charset makes the browser send it.
function formFields(body) {
  const fields = {};
  for (const pair of body.split('&')) {
    const [name, value = ''] = pair.split('=');
    const bytes = [];
    const raw = value.replace(/\+/g, ' ');
    for (let i = 0; i < raw.length; i++) {
      if (raw[i] === '%') {
        bytes.push(parseInt(raw.slice(i + 1, i + 3), 16));
        i += 2;
      } else {
        bytes.push(raw.charCodeAt(i));
      }
    }
    fields[decodeURIComponent(name)] = new TextDecoder('gbk').decode(Uint8Array.from(bytes));
  }
  return fields;
}

async function postedSearch(page, submit) {
  const [request] = await Promise.all([
    page.waitForRequest((r) => r.method() === 'POST', { timeout: 15_000 }),
    submit(),
  ]);
  return { url: new URL(request.url()), fields: formFields(request.postData() ?? '') };
}

async function scenario(browser, url, steps) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('dialog', (d) => {
    errors.push(`dialog: ${d.message()}`);
    d.dismiss();
  });
  await page.goto(url);
  const result = await steps(page);
  await page.close();
  return { ...result, errors };
}

async function addCondition(page, field, operator, keyword) {
  await page.selectOption('#S_120', field);
  await page.selectOption('#bank', operator);
  await page.fill('#keyword', keyword);
  await page.click('input[value="加条件"]');
}

async function main() {
  const missing = browserMissing();
  if (missing) {
    console.log(`SKIP: ${missing}`);
    return SKIP;
  }
  const server = await serveFolder(path.join(runDir, '记账'));
  const browser = await launchBrowser();
  try {
    const url = `${server.url}/manage/LSZ27_List.asp`;

    // A text, a numeric and a date-range condition, added one by one, then searched.
    const three = await scenario(browser, url, async (page) => {
      await addCondition(page, '名称', '等于', '午餐');
      await addCondition(page, '金额', '大于等于', '100');
      await page.selectOption('#S_120', '日期');
      const datesShown = await page.isVisible('#SearchTimeZone');
      const keywordHidden = !(await page.isVisible('#keyword')) && !(await page.isVisible('#bank'));
      await page.fill('#S_STime', '2024-01-01');
      await page.fill('#S_ETime', '2024-01-31');
      await page.click('input[value="加条件"]');
      const shown = await page.textContent('#SearchShow');
      const posted = await postedSearch(page, () => page.click('input[type="submit"][value="搜索"]'));
      return { datesShown, keywordHidden, shown, posted };
    });
    assert.deepEqual(three.errors, []);
    assert.ok(three.datesShown, 'a date field shows the date range inputs');
    assert.ok(three.keywordHidden, 'a date field hides the operator and keyword');
    const expected = '名称等于午餐；金额大于等于100；日期从#2024-01-01#至#2024-01-31#';
    assert.equal(three.posted.fields.SearchText, expected);
    assert.equal(three.posted.fields.action, 'search');
    assert.equal(three.posted.url.pathname, '/manage/LSZ27_List.asp', 'the form posts to the list page itself');
    assert.equal(three.shown, `条件：${expected}`);

    // Searching with a filled keyword that was not added yet adds it; a "；" typed into
    // the value cannot split the condition in two.
    const direct = await scenario(browser, url, async (page) => {
      await page.selectOption('#S_120', '名称');
      await page.selectOption('#bank', '近似');
      await page.fill('#keyword', ' 饭；店 ');
      const posted = await postedSearch(page, () => page.click('input[type="submit"][value="搜索"]'));
      return { posted };
    });
    assert.deepEqual(direct.errors, []);
    assert.equal(direct.posted.fields.SearchText, '名称近似饭店');

    // Searching with nothing filled in posts an empty search: the whole list.
    const empty = await scenario(browser, url, async (page) => {
      const posted = await postedSearch(page, () => page.click('input[type="submit"][value="搜索"]'));
      return { posted };
    });
    assert.deepEqual(empty.errors, []);
    assert.equal(empty.posted.fields.SearchText, '');
    console.log('search bar: 3 scenarios pass');
    return 0;
  } finally {
    await browser.close();
    await server.close();
  }
}

try {
  process.exit(await main());
} catch (e) {
  console.log(`FAIL ${e.message}`);
  process.exit(1);
}
