// linkcheck or vbscheck over whole sites built by `tabulon build` (steps ① to ④ in one
// command): the sample project 记账, and 日记本 with desk.asp and bottom.asp written from
// the 桌面 and 底部 template rows, which users may put in place of the skeleton's pages.
//   node static_checks.mjs links|vbscript <tabulon> <site_design>
// vbscript exits 77 (skipped) when wine is not installed.
import { test } from 'node:test';
import { spawnSync } from 'node:child_process';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { findWine } from '../../tools/sitecheck/lib/wine.mjs';
import { addDesign, buildSite, DIARY, makeRun, SAMPLE_PROJECT, templateRow, writePage } from './lib/site.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const [mode, exe, siteDesign] = process.argv.slice(2);
const tools = {
  links: { script: 'linkcheck.mjs', args: [], passed: /^linkcheck: \d+ file\(s\), [1-9]\d* link\(s\) checked, 0 broken$/m },
  vbscript: { script: 'vbscheck.mjs', args: ['--quiet'], passed: /^vbscheck: [1-9]\d* page\(s\) checked, 0 with errors/m },
};
const tool = tools[mode];
if (!tool) {
  console.error('usage: node static_checks.mjs links|vbscript <tabulon> <site_design>');
  process.exit(2);
}
if (mode === 'vbscript' && !findWine()) {
  console.log('SKIP: wine is not installed (Debian packages wine and wine64)');
  process.exit(77);
}

const run = makeRun(exe);
try {
  const sample = buildSite(exe, run.runDir, SAMPLE_PROJECT);
  const diary = addDesign(siteDesign, run.runDir, DIARY);
  const diarySite = buildSite(exe, run.runDir, diary.project);
  writePage(path.join(diarySite, 'desk.asp'), templateRow(siteDesign, run.runDir, 50));
  writePage(path.join(diarySite, 'bottom.asp'), templateRow(siteDesign, run.runDir, 51));

  for (const [name, site] of [[SAMPLE_PROJECT, sample], [`${diary.project}, desk and footer from their rows`, diarySite]]) {
    await test(`${tool.script} passes the site of ${name}`, () => {
      const r = spawnSync(process.execPath, [path.join(here, '..', '..', 'tools', 'sitecheck', tool.script), ...tool.args, site], {
        encoding: 'utf8',
        timeout: 600_000,
      });
      process.stdout.write(r.stdout + r.stderr);
      if (r.status !== 0 || !tool.passed.test(r.stdout)) throw new Error(`${tool.script} exited ${r.status}`);
    });
  }
} finally {
  run.cleanup();
}
