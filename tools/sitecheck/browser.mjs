// Running generated pages in a real browser: Debian's Chromium driven by
// playwright-core, a static server for a site folder that answers like IIS
// would for files (names without regard to case, GBK pages), fakes for the
// server's dynamic answers, and the page text a browser gets when no server
// code ran.
//
//   import { launchBrowser, serveFolder, stripServerBlocks } from '<relative path>/tools/sitecheck/browser.mjs';
//   const server = await serveFolder(siteDir, { stubs: { '/manage/GetClass.asp': (req) => ({ body: '<select>…' }) } });
//   const browser = await launchBrowser();
//   const page = await browser.newPage();
//   await page.goto(`${server.url}/manage/X_Add.asp`);
//   …
//   await browser.close(); await server.close();
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { stripServerBlocks as strip, decodePage } from './lib/asp.mjs';
import { encodeGbk } from './lib/gbk.mjs';
import { CaseInsensitiveFs, isInside } from './lib/paths.mjs';

export const CHROMIUM = '/usr/bin/chromium';

export const CHROMIUM_FLAGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

const here = path.dirname(fileURLToPath(import.meta.url));

/** The folder holding the project's npm packages: $TABULON_NODE_MODULES, else tests/js/node_modules. */
export function nodeModules() {
  return process.env.TABULON_NODE_MODULES || path.resolve(here, '..', '..', 'tests', 'js', 'node_modules');
}

/** Why a browser cannot be started here, or null when it can (skip tests on a reason). */
export function browserMissing() {
  try {
    fs.accessSync(CHROMIUM, fs.constants.X_OK);
  } catch {
    return `${CHROMIUM} is not installed (Debian package chromium)`;
  }
  return null;
}

function playwright() {
  const require = createRequire(path.join(nodeModules(), 'package.json'));
  try {
    return require('playwright-core');
  } catch (e) {
    throw new Error(`playwright-core is not installed in ${nodeModules()} (run npm ci in tests/js): ${e.message}`);
  }
}

/**
 * Starts headless Chromium (Debian's) with a fresh profile folder (Playwright
 * makes one per launch and deletes it on close). Returns Playwright's
 * Browser: browser.newPage(), browser.close().
 */
export async function launchBrowser({ args = [], timeout = 60_000 } = {}) {
  const missing = browserMissing();
  if (missing) throw new Error(missing);
  const { chromium } = playwright();
  return chromium.launch({
    executablePath: CHROMIUM,
    headless: true, // Playwright passes --headless itself; the flag in args would be refused twice
    args: [...CHROMIUM_FLAGS, ...args],
    timeout,
    env: { ...process.env, CHROMIUM_FLAGS: '' },
  });
}

/** The page as browser HTML: includes dropped, <% %> removed, <%= e %> replaced by value(e, i) or nothing. */
export function stripServerBlocks(aspBytesOrText, options = {}) {
  return strip(aspBytesOrText, options);
}

const TYPES = {
  '.asp': 'text/html; charset=gb2312',
  '.htm': 'text/html; charset=gb2312',
  '.html': 'text/html; charset=gb2312',
  // No charset: a script or style sheet then falls back to its page's, as on the real site.
  '.js': 'application/javascript',
  '.css': 'text/css',
  '.gif': 'image/gif',
  '.jpg': 'image/jpeg',
  '.jpeg': 'image/jpeg',
  '.png': 'image/png',
  '.ico': 'image/x-icon',
  '.swf': 'application/x-shockwave-flash',
  '.txt': 'text/plain; charset=gb2312',
  '.xml': 'text/xml',
};
const DEFAULT_DOCUMENTS = ['default.asp', 'index.asp', 'default.htm', 'index.htm', 'index.html'];

function isGbkType(type) {
  return /charset=(gb2312|gbk|gb18030)/i.test(type ?? '');
}

/**
 * Query or form text as the site's pages send it: percent-escaped GBK bytes
 * ('+' for a space), decoded into URLSearchParams.
 */
export function gbkParams(text) {
  const params = new URLSearchParams();
  if (!text) return params;
  const decode = (s) => {
    const bytes = [];
    const raw = s.replace(/\+/g, ' ');
    for (let i = 0; i < raw.length; i++) {
      if (raw[i] === '%' && /^[0-9a-fA-F]{2}$/.test(raw.slice(i + 1, i + 3))) {
        bytes.push(parseInt(raw.slice(i + 1, i + 3), 16));
        i += 2;
      } else {
        bytes.push(...Buffer.from(raw[i], 'utf8'));
      }
    }
    return new TextDecoder('gbk').decode(Uint8Array.from(bytes));
  };
  for (const pair of text.split('&')) {
    if (pair === '') continue;
    const eq = pair.indexOf('=');
    params.append(decode(eq < 0 ? pair : pair.slice(0, eq)), eq < 0 ? '' : decode(pair.slice(eq + 1)));
  }
  return params;
}

function findStub(stubs, urlPath) {
  const lower = urlPath.toLowerCase();
  let best = null;
  for (const key of Object.keys(stubs)) {
    const k = key.toLowerCase();
    if (k === lower) return stubs[key];
    if (lower.startsWith(k) && (best === null || k.length > best.length)) best = k;
  }
  return best === null ? null : stubs[Object.keys(stubs).find((key) => key.toLowerCase() === best)];
}

/**
 * Serves the files of `dir` on 127.0.0.1 at an ephemeral port. Names
 * resolve without regard to case, as on IIS. `.asp` pages go out as the
 * browser would get them from a server whose code did nothing
 * (stripServerBlocks; `asp: 'raw'` sends the file as it is, a function
 * (text, file, req) => html decides itself). `stubs` maps a URL path, exact
 * or a prefix (matched without regard to case, longest prefix first), to
 * (req) => ({status, type, body}) (may be async; req.url, req.method,
 * req.query and req.form (URLSearchParams decoded from GBK, as the pages
 * send them) and req.bodyText are there); a string body for a gb2312 type
 * is sent GBK-encoded. `values` is passed to stripServerBlocks for .asp
 * pages. Returns {url, port, requests, close()}; `requests` lists
 * {method, url, path} of every request, in order.
 */
export async function serveFolder(dir, { stubs = {}, asp = 'strip', values = null } = {}) {
  const root = path.resolve(dir);
  const fsci = new CaseInsensitiveFs();
  const requests = [];
  const server = http.createServer(async (req, res) => {
    try {
      const chunks = [];
      for await (const c of req) chunks.push(c);
      const u = new URL(req.url, 'http://127.0.0.1');
      const urlPath = decodeURIComponent(u.pathname);
      req.query = gbkParams(u.search.slice(1));
      req.bodyText = Buffer.concat(chunks).toString('latin1');
      req.form = gbkParams(req.bodyText);
      requests.push({ method: req.method, url: req.url, path: urlPath });

      const stub = findStub(stubs, urlPath);
      if (stub) {
        const answer = (await stub(req)) ?? {};
        const type = answer.type ?? 'text/html; charset=gb2312';
        let body = answer.body ?? '';
        if (typeof body === 'string') body = isGbkType(type) ? encodeGbk(body) : Buffer.from(body, 'utf8');
        res.writeHead(answer.status ?? 200, { 'Content-Type': type, 'Cache-Control': 'no-store' });
        res.end(body);
        return;
      }

      let file = fsci.resolve(root, urlPath, root);
      if (file && fs.statSync(file).isDirectory()) {
        file = DEFAULT_DOCUMENTS.map((d) => fsci.resolve(file, d)).find((f) => f && fs.statSync(f).isFile()) ?? null;
      }
      if (!file || !isInside(root, file)) {
        res.writeHead(404, { 'Content-Type': 'text/plain' });
        res.end(`not found: ${urlPath}`);
        return;
      }
      const ext = path.extname(file).toLowerCase();
      const type = TYPES[ext] ?? 'application/octet-stream';
      let body = fs.readFileSync(file);
      if (ext === '.asp' && asp !== 'raw') {
        const html = typeof asp === 'function' ? await asp(decodePage(body), file, req) : strip(body, { value: values });
        body = encodeGbk(html);
      }
      res.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' });
      res.end(req.method === 'HEAD' ? undefined : body);
    } catch (e) {
      res.writeHead(500, { 'Content-Type': 'text/plain' });
      res.end(String(e.stack ?? e));
    }
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', resolve);
  });
  const { port } = server.address();
  return {
    url: `http://127.0.0.1:${port}`,
    port,
    requests,
    close: () => new Promise((resolve) => {
      server.close(() => resolve());
      server.closeAllConnections();
    }),
  };
}
