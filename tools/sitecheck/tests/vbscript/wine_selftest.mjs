// vbscheck run for real through Wine: the valid fixture pages pass, each
// broken one fails at the line marked EXPECT-ERROR, a made-up site of 50
// pages passes (and its speed is printed), and errors planted into it are
// found at the planted page lines, also through an include.
// Exit 77 (skipped) when wine is not installed.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { splitAsp, decodePage } from '../../lib/asp.mjs';
import { walkFiles } from '../../lib/paths.mjs';
import { findWine } from '../../lib/wine.mjs';
import { encodeGbk } from '../../lib/gbk.mjs';
import { writeSampleSite } from './sample_site.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const vbscheck = path.join(here, '..', '..', 'vbscheck.mjs');

if (!findWine()) {
  console.log('SKIP: wine is not installed (Debian packages wine and wine64)');
  process.exit(77);
}


/** Runs vbscheck; returns {status, stdout, reported: Map(page -> [lines])}. */
function run(args, cwd) {
  const r = spawnSync(process.execPath, [vbscheck, '--quiet', ...args], { cwd, encoding: 'utf8', timeout: 600_000 });
  const reported = new Map();
  for (const line of r.stdout.split('\n')) {
    const m = /^(\S.*?):(\d+): (.*)$/.exec(line);
    if (!m || line.startsWith('vbscheck:')) continue;
    const file = path.resolve(cwd, m[1]);
    if (!reported.has(file)) reported.set(file, []);
    reported.get(file).push(Number(m[2]));
  }
  const summary = r.stdout.split('\n').find((l) => l.startsWith('vbscheck: ')) ?? '';
  return { status: r.status, stdout: r.stdout + r.stderr, reported, summary };
}

function markedLines(file) {
  return decodePage(fs.readFileSync(file)).split('\r\n').flatMap((l, i) => (l.includes('EXPECT-ERROR') ? [i + 1] : []));
}

const fixtures = path.join(here, 'fixtures');

await test('valid fixture pages (includes, HTML, <%=, If/While/Sub, classes) compile', () => {
  const r = run(['good'], fixtures);
  assert.equal(r.status, 0, r.stdout);
  const pages = walkFiles(path.join(fixtures, 'good'), (n) => n.endsWith('.asp')).length;
  assert.match(r.summary, new RegExp(`^vbscheck: ${pages} page\\(s\\) checked, 0 with errors`));
});

await test('each broken fixture page fails at its marked line, the others pass', () => {
  const r = run(['broken'], fixtures);
  assert.equal(r.status, 1, r.stdout);
  const pages = walkFiles(path.join(fixtures, 'broken'), (n) => n.endsWith('.asp'));
  let marked = 0;
  for (const page of pages) {
    const expected = markedLines(page);
    assert.ok(expected.length <= 1, `${page} marks at most one line`);
    marked += expected.length;
    assert.deepEqual(r.reported.get(page) ?? [], expected, `${path.relative(fixtures, page)}\n${r.stdout}`);
  }
  assert.ok(marked >= 10, 'enough broken pages');
});

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vbscheck-selftest-'));
try {
  const site = path.join(work, 'site');
  const pages = writeSampleSite(site, 50);

  await test('a made-up site of 50 generated-like pages compiles', () => {
    const r = run([site], work);
    assert.equal(r.status, 0, r.stdout);
    console.log(`    ${r.summary}`);
  });

  // Plant a statement Wine must refuse on a code line in the middle of some pages.
  const planted = new Map();
  pages.filter((_, i) => i % 7 === 3).forEach((page) => {
    const text = decodePage(fs.readFileSync(page));
    const lines = text.split('\r\n');
    const codeLines = [];
    const starts = [0];
    for (const l of lines) starts.push(starts.at(-1) + l.length + 2);
    for (const seg of splitAsp(text).segments) {
      if (seg.kind !== 'code') continue;
      for (let i = 0; i < lines.length; i++) {
        if (starts[i] > seg.contentStart && starts[i + 1] - 2 <= seg.contentEnd && lines[i].trim() !== '') codeLines.push(i);
      }
    }
    assert.ok(codeLines.length > 0, `${page} has code lines`);
    const at = codeLines[Math.floor(codeLines.length / 2)];
    lines.splice(at, 0, 'planted = = 1');
    fs.writeFileSync(page, encodeGbk(lines.join('\r\n')));
    planted.set(page, at + 1);
  });

  await test('errors planted into pages are reported at the planted lines, and only there', () => {
    assert.ok(planted.size >= 5);
    const r = run([site], work);
    assert.equal(r.status, 1, r.stdout);
    assert.deepEqual([...r.reported.keys()].sort(), [...planted.keys()].sort(), r.stdout);
    for (const [page, line] of planted) assert.deepEqual(r.reported.get(page), [line], `${page}\n${r.stdout}`);
  });

  await test('an error inside an included file is reported on every page at its include line', () => {
    const conn = path.join(site, 'manage', 'conn.asp');
    const lines = decodePage(fs.readFileSync(conn)).split('\r\n');
    lines.splice(5, 0, 'Function Broken(');
    fs.writeFileSync(conn, encodeGbk(lines.join('\r\n')));
    for (const page of planted.keys()) fs.rmSync(page);
    const r = run([site], work);
    assert.equal(r.status, 1, r.stdout);
    const remaining = pages.filter((p) => !planted.has(p));
    for (const page of remaining) assert.deepEqual(r.reported.get(page), [1], `${page}\n${r.stdout}`);
    assert.deepEqual(r.reported.get(conn), [6], r.stdout);
    assert.match(r.stdout, /^ +in site\/manage\/conn\.asp:6, included at site\/manage\/B1_Add\.asp:1$/m);
  });
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}

