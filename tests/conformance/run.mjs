// The conformance suite: small ASP pages, each with the answer IIS 10 (+ Jet 4) gives on a
// zh-CN server, run through asphost.exe under Wine. See README.md for the page format.
//   node run.mjs ASPHOST.EXE MAKE_WORKING_COPY [AREA[/PAGE-PREFIX]]...
// Prints the pass rate by area; fails when fewer than 95 % of the sure values pass.
// Exits 77 (skipped) when wine is not installed.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { defaultPrefix, ensurePrefix, findWine, startServer } from '../../tools/sitecheck/lib/wine.mjs';
import { copySiteAsGbk, encodeGbk, request, startHost } from '../preview_host/host_process.mjs';
import { parseExpectation, judge } from './expectation.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const [exe, maker, ...filters] = process.argv.slice(2);
const requiredRate = 0.95;

const tools = findWine();
if (!tools) {
  console.log('skipped: wine is not installed (Debian packages wine, wine64)');
  process.exit(77);
}
if (!exe || !fs.existsSync(exe) || !maker) {
  console.error('usage: node run.mjs ASPHOST.EXE MAKE_WORKING_COPY [AREA[/PAGE-PREFIX]]...');
  process.exit(2);
}

const pagePattern = /^\d{3}-[^/]*\.asp$/i;

/** Areas are the folders beside this script that hold numbered pages. */
function areas() {
  return fs
    .readdirSync(here, { withFileTypes: true })
    .filter((e) => e.isDirectory() && e.name !== 'node_modules')
    .map((e) => e.name)
    .filter((name) => fs.readdirSync(path.join(here, name)).some((f) => pagePattern.test(f)))
    .sort();
}

function selected(area, page) {
  if (filters.length === 0) return true;
  return filters.some((f) => {
    const [a, p = ''] = f.split('/');
    return a === area && page.startsWith(p);
  });
}

/** Cookies kept between the requests of one page, as a browser would. */
class CookieJar {
  constructor() {
    this.values = new Map();
  }
  take(headers) {
    for (const line of headers['set-cookie'] ?? []) {
      const pair = line.split(';')[0];
      const eq = pair.indexOf('=');
      if (eq > 0) this.values.set(pair.slice(0, eq), pair.slice(eq + 1));
    }
  }
  header() {
    return [...this.values].map(([k, v]) => `${k}=${v}`).join('; ');
  }
}

function decodeBody(response) {
  const type = String(response.headers['content-type'] ?? '');
  if (/charset=utf-8/i.test(type)) return response.body.toString('utf8');
  return response.text;
}

async function ask(port, target, spec, jar) {
  const headers = { ...spec.headers };
  const fromJar = jar.header();
  if (fromJar) headers.Cookie = headers.Cookie ? `${headers.Cookie}; ${fromJar}` : fromJar;
  let body = null;
  if (spec.form !== undefined) {
    body = encodeGbk(spec.form);
    headers['Content-Type'] ??= 'application/x-www-form-urlencoded';
    headers['Content-Length'] = String(body.length);
  }
  const r = await request(port, target, { method: spec.method ?? (body ? 'POST' : 'GET'), headers, body });
  jar.take(r.headers);
  return r;
}

class AreaRun {
  constructor(area, work) {
    this.area = area;
    this.site = path.join(work, area, 'site');
    this.db = path.join(work, area, 'working.sqlite');
    this.log = path.join(work, area, 'host.log');
    this.host = null;
  }

  async prepare() {
    copySiteAsGbk(path.join(here, this.area), this.site);
    const ownData = path.join(here, this.area, 'working_copy.sql');
    const data = fs.existsSync(ownData) ? ownData : path.join(here, '..', 'preview_host', 'working_copy.sql');
    const made = spawnSync(maker, [data, this.db], { encoding: 'utf8' });
    if (made.status !== 0) throw new Error(`${this.area}: working copy not made: ${made.stderr}`);
  }

  async ensureHost() {
    if (this.host && this.host.child.exitCode === null && this.host.child.signalCode === null) return;
    this.host = await startHost({ exe, site: this.site, db: this.db, prefix, logFile: this.log });
    this.host.child.stdout.resume();
  }

  stop() {
    this.host?.child.kill('SIGKILL');
    this.host = null;
  }

  /** Runs one page: its `@before` requests, then the page; the verdict. */
  async page(name, spec) {
    await this.ensureHost();
    const jar = new CookieJar();
    try {
      for (const before of spec.before) await ask(this.host.port, '/' + before, {}, jar);
      const target = '/' + name + (spec.query ? '?' + spec.query : '');
      const r = await ask(this.host.port, target, spec, jar);
      return judge(spec, { status: r.status, headers: r.headers, text: decodeBody(r) });
    } catch (e) {
      // a host that dropped the connection may be dying slowly (Wine's crash handler): start afresh
      const died = this.host.child.exitCode !== null || this.host.child.signalCode !== null;
      this.stop();
      return { pass: false, why: died ? `the host died (${e.message})` : `no answer (${e.message}); host restarted` };
    }
  }
}

const prefix = defaultPrefix();
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-conformance-'));
const summary = [];
const failures = [];
try {
  await ensurePrefix(prefix, tools);
  startServer(prefix, tools);
  for (const area of areas()) {
    const pages = fs
      .readdirSync(path.join(here, area))
      .filter((f) => pagePattern.test(f) && selected(area, f))
      .sort();
    if (pages.length === 0) continue;
    const run = new AreaRun(area, work);
    await run.prepare();
    const tally = { area, sure: 0, surePassed: 0, unsure: 0, unsurePassed: 0 };
    try {
      for (const page of pages) {
        const expectFile = path.join(here, area, page.replace(/\.asp$/i, '.expect'));
        if (!fs.existsSync(expectFile)) {
          failures.push(`${area}/${page}: no .expect file beside it`);
          tally.sure++;
          continue;
        }
        const spec = parseExpectation(fs.readFileSync(expectFile, 'utf8'));
        const verdict = await run.page(page, spec);
        if (spec.unsure) {
          tally.unsure++;
          if (verdict.pass) tally.unsurePassed++;
        } else {
          tally.sure++;
          if (verdict.pass) tally.surePassed++;
        }
        if (!verdict.pass) failures.push(`${area}/${page}${spec.unsure ? ' (unsure)' : ''}: ${verdict.why}`);
      }
    } finally {
      run.stop();
    }
    summary.push(tally);
  }
} finally {
  // TABULON_CONFORMANCE_KEEP=1 keeps the sites and the hosts' logs for a look
  if (process.env.TABULON_CONFORMANCE_KEEP) console.log(`kept ${work}`);
  else fs.rmSync(work, { recursive: true, force: true });
}

const percent = (a, b) => (b === 0 ? '  -  ' : ((100 * a) / b).toFixed(1).padStart(5) + ' %');
for (const f of failures) console.log('FAIL ' + f);
console.log('\narea          sure passed         unsure passed');
let sure = 0;
let surePassed = 0;
for (const t of summary) {
  sure += t.sure;
  surePassed += t.surePassed;
  console.log(
    `${t.area.padEnd(12)} ${String(t.surePassed).padStart(4)}/${String(t.sure).padEnd(4)} ${percent(t.surePassed, t.sure)}   ` +
      `${String(t.unsurePassed).padStart(3)}/${String(t.unsure).padEnd(3)} ${percent(t.unsurePassed, t.unsure)}`,
  );
}
console.log(`${'all'.padEnd(12)} ${String(surePassed).padStart(4)}/${String(sure).padEnd(4)} ${percent(surePassed, sure)}`);
if (sure === 0) {
  console.log('no page ran');
  process.exit(filters.length ? 0 : 1);
}
if (surePassed / sure < requiredRate) {
  console.log(`below the required ${requiredRate * 100} % of sure values`);
  process.exit(1);
}
