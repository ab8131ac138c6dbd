// Whole sites for the checks of tests/site: a design written into the catalogue of a
// fresh run folder (by the site_design helper), then built by the real command line
// (`tabulon --run-dir D build PROJECT`), read back as GBK pages and through mdbtools.
//
//   const run = makeRun(tabulon);
//   const diary = addDesign(siteDesign, run.runDir, DIARY);   // {project, tables: {名称: id}}
//   const siteDir = buildSite(tabulon, run.runDir, diary.project);
//   …
//   run.cleanup();
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { encodeGbk } from '../../tools/lib/gbk.mjs';

export const SAMPLE_PROJECT = '记账';

// Three tables: the login table with its fields 账号/密码, a table with a date box and two
// rich-text fields, and one named in Latin letters (its page base name is its id alone).
export const DIARY = {
  project: '日记本',
  tables: [
    { name: '管理员', fields: [['账号', '文本', 'username', '文本框'], ['密码', '文本', 'password', '文本框'], ['姓名', '文本', '', '文本框']] },
    { name: '日记', fields: [['标题', '文本', '', '文本框'], ['日期', '日期时间', '', '时间框'], ['正文', '备注', '', '文本域'], ['心得', '备注', '', '文本域']] },
    { name: 'Notes', fields: [['Title', '文本', '', '文本框']] },
  ],
};

// Nine tables: more groups than the menu template's own loops cover (they stop before 8).
export const NINE_TABLES = {
  project: '九表',
  tables: [
    { name: '用户', fields: [['帐号', '文本', 'username', '文本框'], ['密码', '文本', 'password', '文本框']] },
    ...['甲', '乙', '丙', '丁', '戊', '己', '庚', '辛'].map((name) => ({ name, fields: [['名称', '文本', '', '文本框']] })),
  ],
};

/**
 * A fresh run folder whose catalogue the program itself made (so the default templates are
 * the program's own, not those site_design was built with); cleanup() removes it.
 */
export function makeRun(exe) {
  const runDir = fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-site-check-'));
  const cleanup = () => fs.rmSync(runDir, { recursive: true, force: true });
  try {
    tabulon(exe, runDir, 'projects');
  } catch (e) {
    cleanup();
    throw e;
  }
  return { runDir, cleanup };
}

function run(program, args, input) {
  const r = spawnSync(program, args, { input, encoding: 'utf8', timeout: 120_000 });
  if (r.error) throw r.error;
  if (r.status !== 0) {
    throw new Error(`${path.basename(program)} ${args.join(' ')} failed (status ${r.status}):\n${r.stdout}${r.stderr}`);
  }
  return r.stdout;
}

/** Adds `design` to the run folder's catalogue; returns {project, projectId, tables: {name: id}}. */
export function addDesign(siteDesign, runDir, design) {
  const lines = [`project\t${design.project}`];
  for (const table of design.tables) {
    lines.push(`table\t${table.name}`);
    for (const field of table.fields) lines.push(['field', ...field].join('\t'));
    for (const link of table.links ?? []) lines.push(['link', ...link].join('\t'));
  }
  const out = run(siteDesign, [runDir], lines.join('\n') + '\n');
  const result = { project: design.project, projectId: 0, tables: {} };
  for (const line of out.split('\n')) {
    const [kind, id, name] = line.split('\t');
    if (kind === 'project') result.projectId = Number(id);
    if (kind === 'table') result.tables[name] = Number(id);
  }
  return result;
}

/** The content of one template row of the run folder's catalogue. */
export function templateRow(siteDesign, runDir, id) {
  return run(siteDesign, [runDir, 'template', String(id)]);
}

/** Runs one command of the command line on the run folder; returns what it printed. */
export function tabulon(exe, runDir, ...args) {
  return run(exe, ['--run-dir', runDir, ...args]);
}

/** Steps ① to ④ in one command; returns the site folder. */
export function buildSite(exe, runDir, project) {
  tabulon(exe, runDir, 'build', project);
  const siteDir = path.join(runDir, project);
  if (!fs.existsSync(path.join(siteDir, 'manage'))) throw new Error(`no site was written to ${siteDir}`);
  return siteDir;
}

export function readPage(file) {
  return new TextDecoder('gbk').decode(fs.readFileSync(file));
}

export function writePage(file, text) {
  fs.writeFileSync(file, encodeGbk(text));
}

// mdb-export's CSV: a header line, then one line a row; text in double quotes, "" for a quote.
function parseCsv(text) {
  const rows = [];
  let row = [];
  let cell = '';
  let quoted = false;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') {
        cell += '"';
        i++;
      } else if (c === '"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c === '"') {
      quoted = true;
    } else if (c === ',') {
      row.push(cell);
      cell = '';
    } else if (c === '\n') {
      row.push(cell);
      rows.push(row);
      row = [];
      cell = '';
    } else if (c !== '\r') {
      cell += c;
    }
  }
  if (cell !== '' || row.length) rows.push([...row, cell]);
  return rows;
}

/** Where mdb-export is, or null. */
export function mdbExport() {
  for (const dir of (process.env.PATH ?? '').split(path.delimiter)) {
    const candidate = path.join(dir || '.', 'mdb-export');
    try {
      fs.accessSync(candidate, fs.constants.X_OK);
      return candidate;
    } catch {
      // not in this folder
    }
  }
  return null;
}

/** The rows of one table of an Access file, read by mdbtools: {columns, rows: [{column: text}]}. */
export function mdbRows(mdbFile, table) {
  const exe = mdbExport();
  if (!exe) throw new Error('mdb-export is not installed (Debian package mdbtools)');
  const [columns, ...lines] = parseCsv(run(exe, [mdbFile, table]));
  return { columns, rows: lines.map((cells) => Object.fromEntries(columns.map((c, i) => [c, cells[i]]))) };
}

/**
 * A small runner: check(name, fn) runs one group of assertions and reports it; finish()
 * prints the totals and sets the exit code.
 */
export function checkRunner() {
  let passed = 0;
  let failed = 0;
  return {
    async check(name, fn) {
      try {
        await fn();
        passed++;
        console.log(`ok - ${name}`);
      } catch (e) {
        failed++;
        console.log(`not ok - ${name}\n${String(e.stack ?? e).replace(/^/gm, '    ')}`);
      }
    },
    finish() {
      console.log(`${passed} passed, ${failed} failed`);
      process.exitCode = failed ? 1 : 0;
    },
  };
}
