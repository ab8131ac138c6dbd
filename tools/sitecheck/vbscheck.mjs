#!/usr/bin/env node
// vbscheck: compile the server-side VBScript of classic-ASP pages with Wine's
// VBScript engine and report every compilation error at its page line.
//
//   node tools/sitecheck/vbscheck.mjs [--keep DIR] [--root DIR] [--encoding NAME] [--quiet] <file-or-folder>...
//
// Exit status: 0 every page compiles, 1 some page has an error (or a missing
// include), 2 the tool itself failed, 77 wine is not installed.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { CaseInsensitiveFs, walkFiles } from './lib/paths.mjs';
import { buildProgram, lexLine } from './lib/vbs.mjs';
import { compileAll, defaultPrefix, ensurePrefix, findWine, startServer } from './lib/wine.mjs';

export const SKIP = 77;

const USAGE = `usage: node tools/sitecheck/vbscheck.mjs [--keep DIR] [--root DIR] [--encoding NAME] [--quiet] <file-or-folder>...
  Compiles the server-side VBScript of each .asp page (folders are searched
  recursively) with Wine's VBScript engine, without running it.
  --keep DIR     leave the generated programs, host script and engine log in DIR
  --root DIR     site root for <!--#include virtual="/..."--> (default: the folder
                 argument, or the folder of a page given alone)
  --encoding N   encoding of the pages (default gbk; a UTF-8 BOM always wins)
  --quiet        print only errors and the summary`;

// How far past the line Wine names the real culprit may lie (see refine()).
const REFINE_WINDOW = 200;

function parseArgs(argv) {
  const opts = { keep: null, root: null, encoding: 'gbk', quiet: false, inputs: [] };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const value = () => {
      if (i + 1 >= argv.length) throw new UsageError(`${a} needs a value`);
      return argv[++i];
    };
    if (a === '--keep') opts.keep = path.resolve(value());
    else if (a === '--root') opts.root = path.resolve(value());
    else if (a === '--encoding') opts.encoding = value();
    else if (a === '--quiet') opts.quiet = true;
    else if (a === '-h' || a === '--help') throw new UsageError(null);
    else if (a.startsWith('--')) throw new UsageError(`unknown option ${a}`);
    else opts.inputs.push(a);
  }
  if (opts.inputs.length === 0) throw new UsageError('no page or folder given');
  try {
    new TextDecoder(opts.encoding);
  } catch {
    throw new UsageError(`unknown encoding ${opts.encoding}`);
  }
  return opts;
}

class UsageError extends Error {}

/** [{file, root}] for every page named by the inputs. */
function collectPages(inputs, rootOption) {
  const pages = [];
  const seen = new Set();
  const add = (file, root) => {
    if (!seen.has(file)) pages.push({ file, root });
    seen.add(file);
  };
  for (const input of inputs) {
    const abs = path.resolve(input);
    let stat;
    try {
      stat = fs.statSync(abs);
    } catch {
      throw new UsageError(`no such file or folder: ${input}`);
    }
    if (stat.isDirectory()) {
      for (const f of walkFiles(abs, (n) => n.endsWith('.asp'))) add(f, rootOption ?? abs);
    } else {
      add(abs, rootOption ?? path.dirname(abs));
    }
  }
  return pages;
}

export function displayPath(file) {
  const rel = path.relative(process.cwd(), file);
  return rel && !rel.startsWith('..') && !path.isAbsolute(rel) ? rel : file;
}

function sourceLine(page, file, line) {
  const text = page.built?.sources?.get(file);
  if (text === undefined) return null;
  const l = text.split(/\r\n|\n|\r/)[line - 1];
  if (l === undefined) return null;
  const t = l.trim();
  return t.length > 160 ? `${t.slice(0, 157)}...` : t;
}

/** A problem to print: page line first, then where exactly and why. */
function problem(page, origin, message, notes = []) {
  const pageLine = origin.chain.length ? origin.chain[0].line : origin.line;
  const out = { pageLine, message, notes: [] };
  if (origin.chain.length) {
    const via = origin.chain.slice(1).map((c) => `${displayPath(c.file)}:${c.line}`);
    out.notes.push(`in ${displayPath(origin.file)}:${origin.line}, included at ${displayPath(page.file)}:${pageLine}` +
      (via.length ? ` via ${via.join(' -> ')}` : ''));
  }
  const text = sourceLine(page, origin.file, origin.line);
  if (text) out.notes.push(`> ${text}`);
  out.notes.push(...notes);
  return out;
}

function isBlankCode(code) {
  const { masked } = lexLine(code);
  return masked.trim() === '';
}

/** Wine's line (1-based, program) -> index into page.built.lines, or lines.length for "end of program". */
function programIndex(built, wineLine) {
  const idx = wineLine - built.header.length - 1;
  return Math.max(0, Math.min(idx, built.lines.length));
}

/**
 * Wine's parser sometimes names the start of the statement before the one
 * it choked on (a Sub inside a Sub, for one). The program cut after line k
 * fails before its end exactly when the first bad token lies on a line <= k
 * (an LR parser stops at the first token that cannot continue the text), so
 * the smallest such k at or after Wine's line is the real line. These cuts
 * are compiled in one more batch.
 */
function refineEntries(page, id) {
  const { lines, header } = page.built;
  const entries = [];
  const from = page.errorIndex;
  const to = Math.min(lines.length - 1, from + REFINE_WINDOW);
  for (let k = from; k <= to; k++) {
    if (isBlankCode(lines[k].code)) continue;
    entries.push({ id: `${id}.${k}`, file: page.programFile, lines: header.length + k + 1, k, group: id });
  }
  return entries;
}

export async function main(argv) {
  const t0 = process.hrtime.bigint();
  let opts;
  try {
    opts = parseArgs(argv);
  } catch (e) {
    if (e instanceof UsageError) {
      if (e.message) console.error(`vbscheck: ${e.message}`);
      console.error(USAGE);
      return 2;
    }
    throw e;
  }
  const tools = findWine();
  if (!tools) {
    console.log('vbscheck: SKIP: wine is not installed (Debian packages wine and wine64 provide wine, wineserver and wineboot)');
    return SKIP;
  }
  let pages;
  try {
    pages = collectPages(opts.inputs, opts.root);
  } catch (e) {
    if (e instanceof UsageError) {
      console.error(`vbscheck: ${e.message}`);
      return 2;
    }
    throw e;
  }
  const log = (m) => { if (!opts.quiet) console.error(`vbscheck: ${m}`); };

  const workDir = opts.keep ?? fs.mkdtempSync(path.join(os.tmpdir(), 'vbscheck-'));
  fs.mkdirSync(workDir, { recursive: true });
  const fsci = new CaseInsensitiveFs();
  const entries = [];
  const index = [];
  pages.forEach((page, i) => {
    page.problems = [];
    try {
      page.built = buildProgram(page.file, { root: page.root, encoding: opts.encoding, fsci });
    } catch (e) {
      page.problems.push({ pageLine: 1, message: `cannot read the page: ${e.message}`, notes: [] });
      return;
    }
    const b = page.built;
    for (const e of b.includeErrors) page.problems.push(problem(page, { file: e.file, line: e.line, chain: e.chain }, e.message));
    for (const e of b.aspErrors) page.problems.push(problem(page, e, e.message));
    if (b.language !== 'vbscript') {
      page.skipped = `LANGUAGE=${b.language}`;
      return;
    }
    page.programFile = `p${String(i + 1).padStart(4, '0')}.vbs`;
    fs.writeFileSync(path.join(workDir, page.programFile), Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(b.program, 'utf16le')]));
    entries.push({ id: String(i), file: page.programFile, lines: 0 });
    index.push(`${page.programFile}\t${page.file}`);
  });
  fs.writeFileSync(path.join(workDir, 'index.txt'), index.join('\n') + '\n');

  let engineSeconds = 0;
  let prefixInfo = { created: false, seconds: 0 };
  let failed = false;
  const prefix = defaultPrefix();
  try {
    if (entries.length > 0) {
      prefixInfo = await ensurePrefix(prefix, tools, { log });
      if (prefixInfo.created) log(`Wine prefix made in ${prefixInfo.seconds.toFixed(1)} s`);
      startServer(prefix, tools);
      const e0 = process.hrtime.bigint();
      const results = await compileAll(entries, { prefix, tools, workDir, log });

      const refine = [];
      for (const entry of entries) {
        const page = pages[Number(entry.id)];
        const r = results.get(entry.id);
        page.result = r;
        if (r?.kind === 'compile') {
          page.errorIndex = programIndex(page.built, r.line);
          if (page.errorIndex < page.built.lines.length) refine.push(...refineEntries(page, entry.id));
        }
      }
      if (refine.length > 0) {
        const again = await compileAll(refine, { prefix, tools, workDir, log });
        for (const e of refine) {
          const r = again.get(e.id);
          const page = pages[Number(e.id.split('.')[0])];
          // a cut of n lines whose error lies before its end
          if (r?.kind === 'compile' && r.line <= e.lines && (page.refined === undefined || e.k < page.refined)) page.refined = e.k;
        }
      }
      engineSeconds = Number(process.hrtime.bigint() - e0) / 1e9;
    }
  } catch (e) {
    console.error(`vbscheck: the Wine run failed: ${e.message}`);
    failed = true;
  } finally {
    if (!opts.keep) fs.rmSync(workDir, { recursive: true, force: true });
  }
  if (failed) return 2;

  for (const page of pages) {
    const r = page.result;
    if (!r || page.skipped) continue;
    const b = page.built;
    const where = (k) => b.map.origin(b.lines[k].offset);
    const at = (k) => {
      const o = where(k);
      return `${displayPath(o.file)}:${o.line}`;
    };
    // Faults Wine's parser lets pass; the first of them or of Wine's own is reported.
    const structural = [
      ...b.misnested.map((m) => ({
        line: m.line,
        note: `'${m.kind}' cannot be declared inside the '${m.inside.kind}' opened at ${at(m.inside.line)}`,
      })),
      ...b.redefined.map((d) => ({ line: d.line, note: `'${d.name}' is already declared in this scope at ${at(d.first)} (name redefined)` })),
    ].sort((x, y) => x.line - y.line)[0];
    const wineIndex = r.kind === 'compile' ? (page.refined ?? page.errorIndex) : null;
    if (structural && (wineIndex === null || structural.line <= wineIndex)) {
      const notes = [structural.note];
      if (r.kind === 'ok') notes.push("(Wine's engine lets this pass; IIS on Windows refuses it)");
      page.problems.push(problem(page, where(structural.line), 'VBScript compilation error', notes));
    } else if (r.kind === 'compile') {
      if (wineIndex >= b.lines.length) {
        const open = b.unclosed[b.unclosed.length - 1];
        if (open) {
          page.problems.push(problem(page, where(open.line), 'VBScript compilation error',
            [`'${open.kind}' opened here is not closed before the end of the page`]));
        } else {
          const last = b.lines.length ? where(b.lines.length - 1) : { file: page.file, line: 1, chain: [] };
          page.problems.push(problem(page, last, 'VBScript compilation error', ['the engine reached the end of the page in an unfinished statement or block']));
        }
      } else {
        page.problems.push(problem(page, where(wineIndex), 'VBScript compilation error'));
      }
    } else if (r.kind !== 'ok') {
      page.trouble = true;
      page.problems.push({ pageLine: 1, message: `could not be checked (${r.kind}: ${r.source || 'no detail'})`, notes: [] });
    }
  }

  let withErrors = 0;
  let troubled = 0;
  for (const page of pages) {
    if (page.skipped && !opts.quiet) console.log(`${displayPath(page.file)}: skipped (${page.skipped})`);
    if (page.problems.length === 0) continue;
    if (page.trouble && page.problems.length === 1) troubled++;
    else withErrors++;
    for (const p of page.problems) {
      console.log(`${displayPath(page.file)}:${p.pageLine}: ${p.message}`);
      for (const n of p.notes) console.log(`    ${n}`);
    }
  }
  const seconds = Number(process.hrtime.bigint() - t0) / 1e9;
  const rate = pages.length / seconds;
  console.log(`vbscheck: ${pages.length} page(s) checked, ${withErrors} with errors` +
    `${troubled ? `, ${troubled} not checked` : ''}, ${seconds.toFixed(2)} s ` +
    `(${rate.toFixed(1)} pages/s; engine ${engineSeconds.toFixed(2)} s` +
    `${prefixInfo.created ? `; Wine prefix made in ${prefixInfo.seconds.toFixed(1)} s` : ''})`);
  if (opts.keep) console.log(`vbscheck: programs kept in ${opts.keep}`);
  if (withErrors > 0) return 1;
  return troubled > 0 ? 2 : 0;
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  main(process.argv.slice(2)).then(
    (code) => { process.exitCode = code; },
    (e) => { console.error(`vbscheck: ${e.stack ?? e}`); process.exitCode = 2; },
  );
}
