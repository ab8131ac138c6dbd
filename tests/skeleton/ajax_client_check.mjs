// The client script that SetAjax() of inc/MyFunction.asp writes, run in Chromium on a GBK
// page: GetData(id, value, url) asks url + "&ajaxdata=" + value and puts the answer into
// the element `id`, through both addresses the generated pages use (Getclass.asp from
// manage/ and ../Getclass.asp). Chinese names and values must reach the server as GBK,
// characters that would break the query must arrive intact, and a numeric condition's
// leading "%" must not be read as an escape. Exit 77 (skipped) without a browser.
//   node tests/skeleton/ajax_client_check.mjs <skeleton_release_tool>
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { browserMissing, launchBrowser, serveFolder } from '../../tools/sitecheck/browser.mjs';
import { encodeGbk } from '../../tools/sitecheck/lib/gbk.mjs';

const missing = browserMissing();
if (missing) {
  console.log(`SKIP: ${missing}`);
  process.exit(77);
}
const releaseTool = process.argv[2];
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-skeleton-ajax-'));
const site = path.join(work, 'site');
const released = spawnSync(releaseTool, [work, site], { encoding: 'utf8' });
assert.equal(released.status, 0, released.stdout + released.stderr);

// SetAjax writes its script with Response.Write "..." lines; this is what the browser gets.
const source = new TextDecoder('gbk').decode(fs.readFileSync(path.join(site, 'inc', 'MyFunction.asp')));
const start = source.indexOf('Sub SetAjax()');
const body = source.slice(start, source.indexOf('End Sub', start));
const script = [...body.matchAll(/Response\.Write "((?:[^"]|"")*)"/g)].map((m) => m[1].replace(/""/g, '"')).join('\n');
assert.match(script, /<script[^>]*>[\s\S]*function GetData\(/);
fs.writeFileSync(path.join(site, 'manage', 'Cascade_Add.asp'), encodeGbk(
  `<html><head><meta http-equiv="Content-Type" content="text/html; charset=gb2312"></head><body>\n${script}\n` +
  '<span id="S_2" name="S_2"></span><span id="S_3" name="S_3"></span></body></html>'));

const asked = [];
const answer = (where, option) => (req) => {
  asked.push({ where, query: Object.fromEntries(req.query) });
  return { type: 'text/html; charset=gb2312', body: `<select name="S_${req.query.get('next')}" id="S_${req.query.get('next')}"><option value="1">${option}</option></select>` };
};
const server = await serveFolder(site, { stubs: { '/Getclass.asp': answer('root', '一级'), '/manage/GetClass.asp': answer('manage', '二级') } });
const browser = await launchBrowser();
try {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(`${server.url}/manage/Cascade_Add.asp`);

  const cases = [
    {
      name: 'a text box cascade through ../Getclass.asp with a Chinese value and query characters',
      call: ['S_2', '中文 a&b%c#d+e=f?', '../Getclass.asp?Stype=收支&filed=一级分类&condition=%deptid&order=1&next=2'],
      where: 'root',
      query: { Stype: '收支', filed: '一级分类', condition: '%deptid', order: '1', next: '2', ajaxdata: '中文 a&b%c#d+e=f?' },
      filled: ['S_2', '一级'],
    },
    {
      name: 'a drop-down cascade through Getclass.asp in manage/ with a numeric Chinese condition',
      call: ['S_3', '5', 'Getclass.asp?table=消费类型&Stype=收支&filed=二级分类&condition=%一级编号&order=2&next=3'],
      where: 'manage',
      query: { table: '消费类型', Stype: '收支', filed: '二级分类', condition: '%一级编号', order: '2', next: '3', ajaxdata: '5' },
      filled: ['S_3', '二级'],
    },
  ];
  for (const c of cases) {
    await test(c.name, async () => {
      asked.length = 0;
      await page.evaluate((args) => window.GetData(...args), c.call);
      await page.waitForFunction((id) => document.getElementById(id).getElementsByTagName('select').length > 0, c.filled[0], { timeout: 5000 });
      assert.equal(asked.length, 1);
      assert.equal(asked[0].where, c.where);
      const { rnd, ...query } = asked[0].query;   // rnd only defeats caching
      assert.deepEqual(query, c.query);
      assert.match(rnd ?? '', /^\d+$/);
      const [id, text] = c.filled;
      assert.equal(await page.textContent(`#${id} select option`), text);
      assert.deepEqual(errors, []);
    });
  }
} finally {
  await browser.close();
  await server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
