// Runs `tabulon serve` for a run folder's project the way a user does (no browser of its
// own), with the host's test hooks on (`--test-hooks`, a hidden option: GET
// /__tabulon/session/<name> answers Session(<name>) of the request's cookie), and finds the
// preview's working copy.
//
//   const preview = await startPreview({ tabulon, runDir, project });
//   preview.url            'http://127.0.0.1:PORT/'
//   preview.workingCopy()  path of the SQLite working copy in the run folder
//   await preview.stop();
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

const READY_TIMEOUT_MS = 180_000;

/** Why the preview cannot run here, or null: wine, the host program, the serve command. */
export function previewMissing({ tabulon, host }) {
  if (!onPath('wine')) return 'wine is not installed (Debian packages wine and wine64): the preview cannot run';
  if (host && !fs.existsSync(host)) return `the ASP host ${host} was not built (it needs g++-mingw-w64-x86-64)`;
  const help = spawnSync(tabulon, ['serve', '--help'], { encoding: 'utf8', timeout: 30_000 });
  if (help.error) return `${tabulon} does not start: ${help.error.message}`;
  if (!/--no-browser/.test(`${help.stdout}${help.stderr}`)) return `${tabulon} has no serve command`;
  return null;
}

function onPath(program) {
  return (process.env.PATH ?? '').split(path.delimiter).some((dir) => {
    try {
      fs.accessSync(path.join(dir || '.', program), fs.constants.X_OK);
      return true;
    } catch {
      return false;
    }
  });
}

/**
 * Starts `tabulon --run-dir RUN serve PROJECT --no-browser --port 0 [--fresh] [--test-hooks]`
 * (port 0: serve picks a free one and prints it) and waits until it prints its address.
 * Rejects with everything it printed when it exits first.
 */
export async function startPreview({ tabulon, runDir, project, fresh = false, testHooks = true, env = {} }) {
  const args = ['--run-dir', runDir, 'serve', project, '--no-browser', '--port', '0'];
  if (fresh) args.push('--fresh');
  if (testHooks) args.push('--test-hooks');
  const started = process.hrtime.bigint();
  const child = spawn(tabulon, args, { env: { ...process.env, ...env }, stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  let port = 0;
  const exited = new Promise((resolve) => child.once('exit', (code, signal) => resolve({ code, signal })));
  const url = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`tabulon serve printed no address within ${READY_TIMEOUT_MS / 1000} s:\n${output}`)), READY_TIMEOUT_MS);
    const look = (chunk) => {
      output += chunk;
      const m = output.match(/http:\/\/127\.0\.0\.1:(\d+)\//);
      if (m) {
        clearTimeout(timer);
        port = Number(m[1]);
        resolve(m[0]);
      }
    };
    child.stdout.setEncoding('utf8').on('data', look);
    child.stderr.setEncoding('utf8').on('data', look);
    exited.then(({ code, signal }) => {
      clearTimeout(timer);
      reject(new Error(`tabulon serve ended (${signal ?? `exit ${code}`}) before printing its address:\n${output}`));
    });
  });
  const secondsToAddress = Number(process.hrtime.bigint() - started) / 1e9;
  return {
    url,
    port,
    runDir,
    project,
    secondsToAddress,
    output: () => output,
    workingCopy: () => findWorkingCopy(runDir),
    async stop() {
      if (child.exitCode !== null || child.signalCode !== null) return;
      child.kill('SIGINT');
      const timer = setTimeout(() => child.kill('SIGKILL'), 15_000);
      await exited;
      clearTimeout(timer);
    },
  };
}

/**
 * The working copy: `.preview/<project id>/data.sqlite` in the run folder, apart from the
 * site folder. Throws naming what was found when there is not exactly one.
 */
export function findWorkingCopy(runDir) {
  const folder = path.join(runDir, '.preview');
  const found = fs.existsSync(folder)
    ? fs.readdirSync(folder).map((id) => path.join(folder, id, 'data.sqlite')).filter((f) => fs.existsSync(f))
    : [];
  if (found.length !== 1) throw new Error(`expected one working copy in ${folder}, found ${found.length}: ${found.join(', ')}`);
  return found[0];
}
