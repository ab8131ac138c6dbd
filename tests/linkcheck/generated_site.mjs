// What Tabulon really writes: every link of the sample project's whole site
// (skeleton, generated pages, login pages) leads to a file of the site.
//   node generated_site.mjs <path of the tabulon executable>
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { test } from 'node:test';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { makeSampleProjectSite } from '../support/sample_project_site.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const { siteDir, cleanup } = makeSampleProjectSite(process.argv[2]);
try {
  await test('every link of the whole sample site leads to a file of the site', () => {
    const r = spawnSync(process.execPath, [path.join(here, '..', '..', 'tools', 'sitecheck', 'linkcheck.mjs'), siteDir], { encoding: 'utf8', timeout: 300_000 });
    process.stdout.write(r.stdout + r.stderr);
    assert.ok(r.status === 0 && /^linkcheck: \d+ file\(s\), [1-9]\d* link\(s\) checked, 0 broken$/m.test(r.stdout), `linkcheck reported problems (status ${r.status})`);
  });
} finally {
  cleanup();
}
