// The site's rich-text cleaner (SiteCleanHtml in inc/clean_html.asp) run by the preview's
// real VBScript engine on a corpus of hostile payloads (lib/xss_corpus.mjs), with DOMPurify
// as the oracle and Chromium as the judge: what the cleaner keeps is something DOMPurify
// would keep whole, and it runs nothing when rendered, hovered and its links resolved.
//   node rich_text.mjs <tabulon>
// Exit 77 (skipped) when Wine, the host program, Chromium or the npm packages are missing.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { test } from 'node:test';
import { browserMissing, launchBrowser, nodeModules } from '../../tools/sitecheck/browser.mjs';
import { findWine } from '../../tools/sitecheck/lib/wine.mjs';
import { buildSite, makeRun, SAMPLE_PROJECT } from '../site/lib/site.mjs';
import { Visitor } from './lib/client.mjs';
import { serve } from './lib/serve.mjs';
import { corpus, KEPT } from './lib/xss_corpus.mjs';

const [exe] = process.argv.slice(2);
const host = path.join(path.dirname(exe), 'preview', 'host', 'asphost.exe');
const require = createRequire(path.join(nodeModules(), 'package.json'));
let DOMPurify;
let JSDOM;
try {
  DOMPurify = require('dompurify');
  ({ JSDOM } = require('jsdom'));
} catch {
  DOMPurify = null;
}
const missing = !findWine() || !fs.existsSync(host) ? `wine, wine64 and ${host}` : browserMissing() ?? (DOMPurify ? null : `dompurify and jsdom in ${nodeModules()} (npm ci in tests/js)`);
if (missing) {
  console.log(`SKIP: needs ${missing}`);
  process.exit(77);
}

// Runs the cleaner on each text posted as p1…pN; the answers are separated by markers that a
// cleaned text cannot hold (it writes every "<" of text as "&lt;").
const PROBE = `<%@LANGUAGE="VBSCRIPT" CODEPAGE="936"%>
<!--#include file="inc/guard.asp"-->
<%
Dim probeIndex, probeStart
If Request.Form("size") <> "" Then
	Dim probeText
	probeText = Request.Form("p1")
	probeStart = Timer
	probeText = SiteCleanHtml(probeText)
	Response.Write "<<<ms>>>" & Int((Timer - probeStart) * 1000) & "<<<len>>>" & Len(probeText)
	Response.End
End If
For probeIndex = 1 To CLng(Request.Form("n"))
	Response.Write "<<<" & probeIndex & ">>>" & SiteCleanHtml(Request.Form("p" & probeIndex))
Next
Response.Write "<<<end>>>"
%>
`;

/** The cleaned texts of `texts`, in order, from the site's own cleaner. */
async function cleanAll(visitor, texts) {
  const out = [];
  for (let at = 0; at < texts.length; at += 40) {
    const batch = texts.slice(at, at + 40);
    const form = { n: String(batch.length) };
    batch.forEach((t, i) => (form[`p${i + 1}`] = t));
    const answer = await visitor.post('/clean_probe.asp', form);
    assert.equal(answer.status, 200, answer.body.slice(0, 500));
    const parts = answer.body.split(/<<<(\d+|end)>>>/);
    for (let i = 0; i < batch.length; i++) {
      assert.equal(parts[1 + 2 * i], String(i + 1), `answer ${at + i + 1} missing:\n${answer.body.slice(0, 500)}`);
      out.push(parts[2 + 2 * i]);
    }
  }
  return out;
}

/** What DOMPurify removes from `html`: [] when it would keep everything. */
function purifyRemovals(purify, html) {
  purify.sanitize(html, { ADD_ATTR: ['target'] });
  return purify.removed.map((r) => (r.attribute ? `attribute ${r.attribute.name}="${r.attribute.value}" of <${r.from?.nodeName?.toLowerCase()}>` : `element <${r.element?.nodeName?.toLowerCase()}>`));
}

/**
 * A page of Chromium that shows one text at a time in a made-up origin (nothing else is
 * fetched), hovers, focuses and clicks every element, and says what ran or could run: calls
 * of alert and friends, event handler attributes, URLs with another scheme than http, https
 * or (links only) mailto, and elements that load or run things.
 */
async function chromiumJudge(browser) {
  const page = await browser.newPage();
  let served = '';
  await page.route('**/*', (route) => {
    if (route.request().url() === 'http://site.test/page') return route.fulfill({ status: 200, contentType: 'text/html; charset=utf-8', body: served });
    return route.fulfill({ status: 404, body: '' });
  });
  await page.addInitScript(() => {
    window.__ran = [];
    for (const name of ['alert', 'confirm', 'prompt', 'print']) window[name] = (...a) => window.__ran.push(`${name}(${a.join(',')})`);
  });
  // Judges several texts on one page, each in a box of its own; what ran is put down to
  // every text of the page, so a page where something ran is judged again text by text.
  const judgeAll = async (htmls) => {
    served = `<!DOCTYPE html><html><head><title>t</title></head><body>${htmls.map((h, i) => `<div class="c" id="c${i}">${h}</div>`).join('')}</body></html>`;
    await page.goto('http://site.test/page', { waitUntil: 'load' });
    const found = await page.evaluate((count) => {
      // One text alone is judged over the whole body; in a batch, an element outside every
      // box (a text that closed its box) sends the batch to be judged text by text.
      if (count === 1) return [judgeBox(document.body)];
      if ([...document.body.querySelectorAll('*')].some((el) => !el.closest('.c'))) return null;
      const all = [];
      for (let i = 0; i < count; i++) all.push(judgeBox(document.getElementById(`c${i}`)));
      return all;
      function judgeBox(box) {
      const problems = [];
      const allowed = new Set(['http:', 'https:', 'mailto:']);
      for (const el of box.querySelectorAll('*')) {
        for (const type of ['mouseover', 'mouseenter', 'focus', 'mousedown', 'mouseup']) el.dispatchEvent(new Event(type, { bubbles: true }));
        for (const attr of el.attributes) if (/^on/i.test(attr.name)) problems.push(`handler ${attr.name}`);
        for (const name of ['href', 'src', 'action', 'formaction', 'data', 'xlink:href']) {
          const value = el.getAttribute(name);
          if (value === null) continue;
          let protocol;
          try {
            protocol = new URL(value, document.baseURI).protocol;
          } catch {
            continue;  // not a URL: never followed
          }
          if (!allowed.has(protocol) || (name !== 'href' && protocol === 'mailto:')) problems.push(`${name} → ${protocol}`);
        }
        if (el.tagName === 'A') {
          // A click that would leave for the web is stopped once it is clear where it goes.
          el.addEventListener('click', (e) => {
            if (allowed.has(el.protocol)) e.preventDefault();
          });
          el.click();
        }
      }
      for (const el of box.querySelectorAll('script, iframe, object, embed, frame, base, meta, link, form, svg, math, style'))
        problems.push(`element <${el.tagName.toLowerCase()}>`);
      return problems;
      }
    }, htmls.length);
    await page.waitForTimeout(5);
    const ran = await page.evaluate(() => window.__ran).catch(() => ['the page went away']);
    if (!found) return null;
    return found.map((problems) => [...problems, ...ran.map((r) => `ran ${r}`)]);
  };
  const judge = async (html) => (await judgeAll([html]))[0];
  judge.all = async (htmls, size = 15) => {
    const out = [];
    for (let at = 0; at < htmls.length; at += size) {
      const batch = htmls.slice(at, at + size);
      let results = await judgeAll(batch);
      if (!results || results.some((r) => r.some((p) => p.startsWith('ran ')))) {
        results = [];
        for (const h of batch) results.push(await judge(h));
      }
      out.push(...results);
    }
    return out;
  };
  return judge;
}

const run = makeRun(exe);
let server = null;
let browser = null;
try {
  const siteDir = buildSite(exe, run.runDir, SAMPLE_PROJECT);
  fs.writeFileSync(path.join(siteDir, 'clean_probe.asp'), Buffer.from(PROBE.replace(/\n/g, '\r\n'), 'latin1'));
  // The timing probe cleans 128 KB texts, which on a loaded machine may outlast the usual
  // limit of a page; it is a figure, not a limit.
  server = await serve(exe, run.runDir, SAMPLE_PROJECT, { args: ['--page-timeout', '60'] });
  const visitor = new Visitor(server.url);
  const payloads = corpus();
  const purify = DOMPurify(new JSDOM('').window);
  let cleaned = [];

  await test('the corpus holds at least 500 payloads of every family', () => {
    assert.ok(payloads.length >= 500, `${payloads.length} payloads`);
    for (const family of ['script', 'handler', 'url', 'style', 'frame', 'parser']) assert.ok(payloads.filter((p) => p.family.startsWith(family)).length >= 20, family);
  });

  await test('harmless markup is kept as it was written, references in attributes decoded once', async () => {
    const got = await cleanAll(visitor, KEPT.map(([html]) => html));
    KEPT.forEach(([html, expected], i) => assert.equal(got[i], expected, html));
  });

  await test('DOMPurify finds nothing to remove in what the cleaner keeps', async () => {
    // The oracle at work on raw payloads, so that silence below means something.
    assert.notDeepEqual(purifyRemovals(purify, '<img src=x onerror=alert(1)>'), []);
    assert.notDeepEqual(purifyRemovals(purify, '<a href="java&Tab;script:alert(1)">x</a>'), []);
    cleaned = await cleanAll(visitor, payloads.map((p) => p.html));
    const faults = [];
    payloads.forEach((p, i) => {
      const removed = purifyRemovals(purify, cleaned[i]);
      if (removed.length) faults.push(`${JSON.stringify(p.html)}\n  cleaned: ${JSON.stringify(cleaned[i])}\n  DOMPurify removes: ${removed.join('; ')}`);
    });
    assert.deepEqual(faults, [], `${faults.length} of ${payloads.length} payloads keep active content`);
  });

  browser = await launchBrowser();
  const judge = await chromiumJudge(browser);

  await test('the Chromium judge itself sees raw payloads run', async () => {
    // Without this the judge below could pass by seeing nothing.
    for (const raw of ['<img src=x onerror=alert(1)>', '<a href="java&Tab;script:alert(1)">x</a>', '<div onmouseover="alert(1)">h</div>', '<svg onload=alert(1)>'])
      assert.notDeepEqual(await judge(raw), [], raw);
    assert.deepEqual(await judge('<p><a href="http://example.com/">x</a></p>'), []);
  });

  await test('rendered in Chromium, hovered and clicked, the cleaned texts run nothing and link nowhere but the web and mail', async () => {
    const faults = [];
    const judged = await judge.all(cleaned);
    for (let i = 0; i < payloads.length; i++) {
      const problems = judged[i];
      if (problems.length) faults.push(`${JSON.stringify(payloads[i].html)}\n  cleaned: ${JSON.stringify(cleaned[i])}\n  ${problems.join('; ')}`);
    }
    assert.deepEqual(faults, [], `${faults.length} of ${payloads.length} cleaned payloads are active in Chromium`);
  });

  await test('cleaning takes time in proportion to the length (recorded: 32 KB and 128 KB)', async () => {
    const unit = payloads.slice(0, 60).map((p) => p.html).join('<p>中文</p>');
    const sized = (bytes) => (unit.repeat(Math.ceil(bytes / unit.length))).slice(0, bytes);
    const times = {};
    for (const [name, text] of [['mixed', sized], ['unclosed <a', (n) => '<a '.repeat(n / 3)], ['open comments', (n) => '<!--'.repeat(n / 4)], ['quotes', (n) => '<a title="'.repeat(n / 10)]]) {
      times[name] = [];
      for (const bytes of [32 * 1024, 128 * 1024]) {
        const answer = await visitor.post('/clean_probe.asp', { size: String(bytes), p1: text(bytes) });
        const m = /<<<ms>>>(\d+)<<<len>>>(\d+)/.exec(answer.body);
        assert.ok(m, answer.body.slice(0, 300));
        times[name].push(Number(m[1]));
      }
    }
    for (const [name, [small, large]] of Object.entries(times)) console.log(`# cleaning ${name}: 32 KB ${small} ms, 128 KB ${large} ms`);
  });
} finally {
  if (browser) await browser.close();
  if (server) await server.stop();
  run.cleanup();
}
