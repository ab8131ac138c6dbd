// One visitor of a served site: a browser context of its own (its own cookies), one tab,
// and a record of everything that went wrong while it browsed — server errors (HTTP 5xx or
// the host's error page), script errors and console errors — plus the alerts the pages
// raised. A failing step says which page, which step and what was expected.
import fs from 'node:fs';

// Texts of an ASP error page, as IIS and the preview's host write them.
const SERVER_ERROR_TEXT = /Microsoft VBScript (runtime|compilation) error|Microsoft JET Database Engine|ADODB\.(Recordset|Connection|Field)\b.*error|error '800[0-9a-f]{5}'|Active Server Pages error/i;

export class StepError extends Error {}

/**
 * Faults that are known and being fixed elsewhere: in the generated pages (owner 'site') or
 * in the preview's ASP host (owner 'host'). A step that meets one goes on, so that the rest
 * of the suite still tests the site, and the sighting is kept; each suite reports them
 * through one todo test per fault (knownFaultChecks), which passes once the fault is gone —
 * then its entry goes.
 *   problem: matches a problem a page caused ({url, what}: script or server error)
 *   failure: matches the message of a failed check (see unlessKnown)
 */
export const KNOWN_FAULTS = [
];

/** id → [{where, what}] of every known fault met in this process. */
export const knownFaultsSeen = new Map(KNOWN_FAULTS.map((f) => [f.id, []]));

function knownProblem(problem) {
  return KNOWN_FAULTS.find((f) => f.problem?.(problem));
}

/**
 * Runs a check; when it fails with the failure of a known fault, the failure is kept as a
 * sighting of that fault and the test goes on. Any other failure is thrown.
 */
export async function unlessKnown(fn) {
  try {
    return await fn();
  } catch (e) {
    const known = e?.code === 'ERR_ASSERTION' && KNOWN_FAULTS.find((f) => f.failure?.test(e.message));
    if (!known) throw e;
    const [where, ...what] = e.message.split(': ');
    knownFaultsSeen.get(known.id).push({ where, what: what.join(': ') });
    return undefined;
  }
}

export class Visitor {
  static async open(browser, baseUrl, { label = 'visitor' } = {}) {
    const context = await browser.newContext({ baseURL: baseUrl, locale: 'zh-CN' });
    const page = await context.newPage();
    return new Visitor(context, page, baseUrl, label);
  }

  constructor(context, page, baseUrl, label) {
    this.context = context;
    this.page = page;
    this.baseUrl = baseUrl;
    this.label = label;
    this.problems = [];   // {url, what}
    this.dialogs = [];    // {type, message, url}
    this.requested = new Set();  // paths of .asp pages the site answered
    this.latencies = [];  // ms from request to response, every request of the site
    this.dialogAnswer = true;
    this.#watch(page);
    context.on('page', (p) => this.#watch(p));
  }

  #watch(page) {
    page.on('pageerror', (e) => this.problems.push({ url: page.url(), what: `script error: ${e.message}` }));
    page.on('console', (m) => {
      // A missing file is recorded from its response, with its address; the browser's own
      // favicon request (the site has none) is not the site's fault.
      if (m.type() === 'error' && !/^Failed to load resource/.test(m.text())) this.problems.push({ url: page.url(), what: `console error: ${m.text()}` });
    });
    page.on('dialog', async (d) => {
      this.dialogs.push({ type: d.type(), message: d.message(), url: page.url() });
      if (this.dialogAnswer) await d.accept().catch(() => {});
      else await d.dismiss().catch(() => {});
    });
    page.on('requestfinished', (request) => {
      if (!request.url().startsWith(this.baseUrl)) return;
      const timing = request.timing();
      if (timing.responseEnd > 0) this.latencies.push(timing.responseEnd - (timing.requestStart > 0 ? timing.requestStart : 0));
    });
    page.on('response', async (response) => {
      const url = new URL(response.url());
      if (!response.url().startsWith(this.baseUrl)) return;
      if (/\.asp$/i.test(url.pathname)) this.requested.add(decodeURIComponent(url.pathname).toLowerCase());
      if (response.status() === 404 && !/\/favicon\.ico$/i.test(url.pathname)) {
        this.problems.push({ url: response.url(), what: 'HTTP 404: a file the page needs is missing' });
      } else if (response.status() >= 500) {
        this.problems.push({ url: response.url(), what: `HTTP ${response.status()}: ${await bodyStart(response)}` });
      } else if (/text\/html/.test(response.headers()['content-type'] ?? '')) {
        const text = await response.text().catch(() => '');
        if (SERVER_ERROR_TEXT.test(text)) this.problems.push({ url: response.url(), what: `server error page: ${excerpt(text)}` });
      }
    });
  }

  /** Runs one step of a page; any failure (or problem recorded meanwhile) names both. */
  async step(pageName, stepName, fn) {
    const before = this.problems.length;
    const dialogsBefore = this.dialogs.length;
    // Problems of known faults are kept as sightings; the others fail the step.
    const unknownProblems = () => this.problems.slice(before).filter((problem) => {
      const known = knownProblem(problem);
      if (known && !problem.counted) {
        problem.counted = true;
        knownFaultsSeen.get(known.id).push({ where: `${pageName} — ${stepName}`, what: `${problem.what} (${problem.url})` });
      }
      return !known;
    });
    const listed = (problems) => problems.map((p) => `  ${p.what} (${p.url})`).join('\n');
    try {
      const result = await fn();
      const added = unknownProblems();
      if (added.length) throw new StepError(`expected no server or script error, got:\n${listed(added)}`);
      return result;
    } catch (e) {
      const alerts = this.dialogs.slice(dialogsBefore).map((d) => `${d.type} "${d.message}"`).join(', ');
      const problems = e instanceof StepError ? [] : unknownProblems();
      const error = new StepError(`${pageName} — ${stepName}: ${e.message}${alerts ? `\n  (the page raised: ${alerts})` : ''}${problems.length ? `\n  (meanwhile:\n${listed(problems)})` : ''}`);
      error.cause = e;
      throw error;
    }
  }

  /** Alerts raised since `mark` (a value of this.dialogs.length). */
  alertsSince(mark) {
    return this.dialogs.slice(mark).map((d) => d.message);
  }

  /** Waits until an alert whose text is `message` (or matches it) has been raised since `mark`. */
  async waitForAlert(mark, message, timeout = 30_000) {
    const matches = (d) => (message instanceof RegExp ? message.test(d.message) : d.message === message);
    const deadline = Date.now() + timeout;
    while (Date.now() < deadline) {
      if (this.dialogs.slice(mark).some(matches)) return;
      await new Promise((r) => setTimeout(r, 50));
    }
    const seen = this.alertsSince(mark);
    throw new Error(`expected the alert "${message}", ${seen.length ? `got ${seen.map((m) => `"${m}"`).join(', ')}` : 'no alert came'}`);
  }

  async close() {
    await this.context.close();
    // The benchmark collects every request's time over whole suites.
    if (process.env.TABULON_E2E_TIMINGS) fs.appendFileSync(process.env.TABULON_E2E_TIMINGS, this.latencies.map((ms) => `${ms.toFixed(2)}\n`).join(''));
  }
}

async function bodyStart(response) {
  return excerpt(await response.text().catch(() => ''));
}

function excerpt(html) {
  return html.replace(/<[^>]*>/g, ' ').replace(/\s+/g, ' ').trim().slice(0, 300);
}

/** Every .asp file of a site folder as URL paths, lower case ('/manage/x_add.asp'). */
export function sitePages(siteDir) {
  const pages = [];
  const walk = (dir, prefix) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
      if (entry.isDirectory()) walk(`${dir}/${entry.name}`, `${prefix}${entry.name}/`);
      else if (/\.asp$/i.test(entry.name)) pages.push(`/${prefix}${entry.name}`.toLowerCase());
    }
  };
  walk(siteDir, '');
  return pages.sort();
}
