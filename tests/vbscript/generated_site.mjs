// What Tabulon really writes: the sample project's whole site (skeleton,
// generated pages, login pages) must compile under Wine's VBScript engine.
//   node generated_site.mjs <path of the tabulon executable>
// Exit 77 (skipped) when wine is not installed.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { test } from 'node:test';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { findWine } from '../../tools/sitecheck/lib/wine.mjs';
import { makeSampleProjectSite } from '../support/sample_project_site.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
if (!findWine()) {
  console.log('SKIP: wine is not installed (Debian packages wine and wine64)');
  process.exit(77);
}
const { siteDir, cleanup } = makeSampleProjectSite(process.argv[2]);
try {
  await test('the whole sample site compiles under Wine', () => {
    const r = spawnSync(process.execPath, [path.join(here, '..', '..', 'tools', 'sitecheck', 'vbscheck.mjs'), '--quiet', siteDir], { encoding: 'utf8', timeout: 600_000 });
    process.stdout.write(r.stdout + r.stderr);
    assert.ok(r.status === 0 && /^vbscheck: [1-9]\d* page\(s\) checked, 0 with errors/m.test(r.stdout), `vbscheck reported problems (status ${r.status})`);
  });
} finally {
  cleanup();
}
