// `tabulon serve` for one project of a run folder, on a free port, with the test hooks and
// any further `args` (such as --locale en-US); stop() ends that process.
import { spawn } from 'node:child_process';

export function serve(exe, runDir, project, { timeoutMs = 180_000, args = [] } = {}) {
  const child = spawn(exe, ['--run-dir', runDir, 'serve', project, '--port', '0', '--no-browser', '--test-hooks', ...args], {
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  let said = '';
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => {
      child.kill();
      reject(new Error(`serve did not start within ${timeoutMs} ms:\n${said}`));
    }, timeoutMs);
    const listen = (chunk) => {
      said += chunk.toString('utf8');
      const m = /http:\/\/127\.0\.0\.1:(\d+)\//.exec(said);
      if (m) {
        clearTimeout(timer);
        resolve({
          url: m[0].slice(0, -1),
          output: () => said,
          stop: () =>
            new Promise((done) => {
              if (child.exitCode !== null) return done();
              child.once('exit', () => done());
              child.kill('SIGINT');
            }),
        });
      }
    };
    child.stdout.on('data', listen);
    child.stderr.on('data', listen);
    child.once('exit', (code) => {
      clearTimeout(timer);
      reject(new Error(`serve ended (${code}) before it listened:\n${said}`));
    });
  });
}
