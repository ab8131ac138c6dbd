// Builds the whole site of the catalogue's sample project with the real
// command line (steps ① to ④) into a fresh run folder, for the checks that
// look at what Tabulon really writes.
//
//   const { siteDir, cleanup } = makeSampleProjectSite('/path/to/build/tabulon');
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

export const SAMPLE_PROJECT = '记账';

/** Runs skeleton, database, generate (all tables, all kinds) and login; throws with the output of a failing step. */
export function makeSampleProjectSite(tabulon, project = SAMPLE_PROJECT) {
  const runDir = fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-site-'));
  const steps = [['skeleton', project], ['database', project], ['generate', project, '--tables', 'all'], ['login', project]];
  for (const step of steps) {
    const r = spawnSync(tabulon, ['--run-dir', runDir, ...step], { encoding: 'utf8', timeout: 300_000 });
    if (r.status !== 0) {
      fs.rmSync(runDir, { recursive: true, force: true });
      throw new Error(`${path.basename(tabulon)} ${step.join(' ')} failed (status ${r.status}):\n${r.stdout}${r.stderr}`);
    }
  }
  const siteDir = path.join(runDir, project);
  if (!fs.existsSync(path.join(siteDir, 'manage'))) throw new Error(`no site was written to ${siteDir}`);
  return { runDir, siteDir, cleanup: () => fs.rmSync(runDir, { recursive: true, force: true }) };
}
