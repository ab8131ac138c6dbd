// Running VBScript through Wine's own engine: a private Wine prefix kept in a
// cache folder, a wineserver started apart from our pipes, and one cscript
// run of a host script that hands every program to a fresh
// MSScriptControl.ScriptControl and writes down what the engine said.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

/** Absolute path of executable `name` on PATH, or null. */
export function findExecutable(name) {
  for (const dir of (process.env.PATH ?? '').split(path.delimiter)) {
    if (!dir) continue;
    const candidate = path.join(dir, name);
    try {
      fs.accessSync(candidate, fs.constants.X_OK);
      if (fs.statSync(candidate).isFile()) return candidate;
    } catch {
      // not here
    }
  }
  return null;
}

/** {wine, wineserver, wineboot} paths, or null when wine is not installed. */
export function findWine() {
  const wine = findExecutable('wine');
  if (!wine) return null;
  const wineserver = findExecutable('wineserver');
  const wineboot = findExecutable('wineboot');
  return wineserver && wineboot ? { wine, wineserver, wineboot } : null;
}

/** The prefix folder: $TABULON_WINEPREFIX, else <cache>/tabulon/wine-vbscheck. */
export function defaultPrefix() {
  if (process.env.TABULON_WINEPREFIX) return path.resolve(process.env.TABULON_WINEPREFIX);
  const cache = process.env.XDG_CACHE_HOME || (os.homedir() ? path.join(os.homedir(), '.cache') : os.tmpdir());
  return path.join(cache, 'tabulon', 'wine-vbscheck');
}

/** Environment for every wine command: our prefix, no debug output, no Mono/Gecko, no display. */
export function wineEnv(prefix) {
  const env = { ...process.env, WINEPREFIX: prefix, WINEDEBUG: '-all', WINEDLLOVERRIDES: 'mscoree,mshtml=' };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  return env;
}

const READY = '.tabulon-ready';

function sleep(ms) {
  return new Promise((r) => setTimeout(r, ms));
}

/**
 * Makes sure the prefix exists, creating it with `wineboot -i` the first
 * time. Concurrent runs wait for the one that creates it (a lock folder
 * next to the prefix). Returns {created, seconds}.
 */
export async function ensurePrefix(prefix, tools, { log = () => {}, timeoutMs = 300_000 } = {}) {
  const ready = path.join(prefix, READY);
  if (fs.existsSync(ready)) return { created: false, seconds: 0 };
  fs.mkdirSync(path.dirname(prefix), { recursive: true });
  const lock = `${prefix}.lock`;
  const started = Date.now();
  for (;;) {
    try {
      fs.mkdirSync(lock);
      break;
    } catch (e) {
      if (e.code !== 'EEXIST') throw e;
      if (fs.existsSync(ready)) return { created: false, seconds: 0 };
      let age = 0;
      try {
        age = Date.now() - fs.statSync(lock).mtimeMs;
      } catch {
        continue;
      }
      if (age > timeoutMs) {
        log(`removing stale lock ${lock}`);
        fs.rmSync(lock, { recursive: true, force: true });
        continue;
      }
      if (Date.now() - started > timeoutMs) throw new Error(`timed out waiting for ${lock}`);
      await sleep(500);
    }
  }
  try {
    if (fs.existsSync(ready)) return { created: false, seconds: 0 };
    const creating = path.join(prefix, '.tabulon-creating');
    if (fs.existsSync(prefix) && fs.readdirSync(prefix).length > 0) {
      if (fs.existsSync(creating)) {
        // our own half-made prefix (a run was stopped while making it): start again
        fs.rmSync(prefix, { recursive: true, force: true });
      } else if (fs.existsSync(path.join(prefix, 'system.reg'))) {
        // an existing prefix handed to us through $TABULON_WINEPREFIX: use it as it is
        fs.writeFileSync(ready, `adopted ${new Date().toISOString()}\n`);
        return { created: false, seconds: 0 };
      } else {
        throw new Error(`${prefix} is neither a Wine prefix nor empty; refusing to touch it`);
      }
    }
    fs.mkdirSync(prefix, { recursive: true });
    fs.writeFileSync(creating, `${process.pid}\n`);
    log(`creating Wine prefix ${prefix} (wineboot -i, once)`);
    const t0 = Date.now();
    const env = wineEnv(prefix);
    const boot = spawnSync(tools.wineboot, ['-i'], { env, stdio: 'ignore', timeout: timeoutMs });
    if (boot.status !== 0) throw new Error(`wineboot -i failed (status ${boot.status}${boot.error ? `, ${boot.error.message}` : ''})`);
    // Let the server write the registry to disk before the prefix counts as made.
    spawnSync(tools.wineserver, ['-w'], { env, stdio: 'ignore', timeout: 60_000 });
    if (!fs.existsSync(path.join(prefix, 'system.reg'))) throw new Error(`wineboot left no registry in ${prefix}`);
    fs.writeFileSync(ready, `${new Date().toISOString()}\n`);
    fs.rmSync(creating, { force: true });
    return { created: true, seconds: (Date.now() - t0) / 1000 };
  } finally {
    fs.rmSync(lock, { recursive: true, force: true });
  }
}

/**
 * Starts the prefix's wineserver detached from our pipes (otherwise each
 * wine call waits for it to let go of them). It stays `linger` seconds after
 * its last client and then stops by itself, so runs that overlap share one
 * server and none has to kill it under another.
 */
export function startServer(prefix, tools, linger = 10) {
  const child = spawn(tools.wineserver, [`-p${linger}`], { env: wineEnv(prefix), stdio: 'ignore', detached: true });
  child.on('error', () => {});
  child.unref();
}

/** Stops the prefix's wineserver now (used only when a run went wrong). */
export function killServer(prefix, tools) {
  spawnSync(tools.wineserver, ['-k'], { env: wineEnv(prefix), stdio: 'ignore', timeout: 30_000 });
}

// The host script: reads list.txt (lines "id|file|lines|group"), compiles
// each file (or its first `lines` lines when lines > 0) in a fresh script
// control and appends "id|errNumber|controlErrNumber|line|column|source" to
// result.txt. Programs start with Err.Raise, so nothing of them runs. Within
// a group of cuts (ordered by length), once a cut fails before its end the
// longer ones are answered "id|skip": the shortest failing cut is the answer.
export const HOST_VBS = [
  'Option Explicit',
  'Dim fso, listFile, outFile, entry, parts, group, settled, lines, failLine, failCompile',
  'Set fso = CreateObject("Scripting.FileSystemObject")',
  'Set listFile = fso.OpenTextFile("list.txt", 1)',
  'Set outFile = fso.OpenTextFile("result.txt", 8, True)',
  'settled = ""',
  'Do While Not listFile.AtEndOfStream',
  '  entry = listFile.ReadLine',
  '  If Len(entry) > 0 Then',
  '    parts = Split(entry, "|")',
  '    group = parts(3)',
  '    lines = CLng(parts(2))',
  '    If group <> "" And group = settled Then',
  '      outFile.WriteLine parts(0) & "|skip"',
  '    Else',
  '      outFile.WriteLine parts(0) & "|" & Compile(ReadProgram(parts(1), lines))',
  '      If group <> "" And failCompile And failLine <= lines Then settled = group',
  '    End If',
  '  End If',
  'Loop',
  'outFile.WriteLine "done"',
  'outFile.Close',
  '',
  'Function ReadProgram(name, lines)',
  '  Dim stream, code, cut, k',
  '  Set stream = fso.OpenTextFile(name, 1, False, -1)',
  '  code = stream.ReadAll',
  '  stream.Close',
  '  If lines > 0 Then',
  '    cut = 0',
  '    For k = 1 To lines',
  '      cut = InStr(cut + 1, code, vbCrLf)',
  '      If cut = 0 Then Exit For',
  '    Next',
  '    If cut > 0 Then code = Left(code, cut + 1)',
  '  End If',
  '  ReadProgram = code',
  'End Function',
  '',
  'Function Compile(code)',
  '  Dim control, number',
  '  Set control = CreateObject("MSScriptControl.ScriptControl")',
  '  control.Language = "VBScript"',
  '  On Error Resume Next',
  '  control.AddCode code',
  '  number = Err.Number',
  '  Err.Clear',
  '  failCompile = (InStr(control.Error.Source, "compil") > 0)',
  '  failLine = control.Error.Line',
  '  Compile = number & "|" & control.Error.Number & "|" & control.Error.Line & "|" & control.Error.Column & "|" & control.Error.Source',
  '  If Err.Number <> 0 Then Compile = number & "|0|0|0|host: " & Err.Description',
  '  Set control = Nothing',
  'End Function',
  '',
].join('\r\n');

/**
 * Runs the host over `entries` ([{id, file, lines, group}], files relative
 * to `workDir`, UTF-16LE programs) in as few cscript runs as possible. A run
 * that dies or hangs costs the entry it stopped at (reported as kind
 * 'crash') and the rest is run again. Returns Map(id -> result) where result
 * is {kind: 'ok'|'compile'|'runtime'|'none'|'crash'|'skip', line, column, source}.
 */
export async function compileAll(entries, { prefix, tools, workDir, log = () => {}, timeoutMs = null }) {
  fs.writeFileSync(path.join(workDir, 'host.vbs'), HOST_VBS);
  const results = new Map();
  let pending = entries.slice();
  let attempts = 0;
  while (pending.length > 0) {
    attempts++;
    fs.writeFileSync(path.join(workDir, 'list.txt'), pending.map((e) => `${e.id}|${e.file}|${e.lines ?? 0}|${e.group ?? ''}`).join('\r\n') + '\r\n');
    fs.rmSync(path.join(workDir, 'result.txt'), { force: true });
    const limit = timeoutMs ?? 60_000 + 200 * pending.length;
    const outcome = await runCscript(workDir, prefix, tools, limit);
    const got = parseResults(path.join(workDir, 'result.txt'));
    for (const [id, r] of got.results) results.set(id, r);
    const left = pending.filter((e) => !results.has(e.id));
    if (left.length === 0) break;
    if (got.done && outcome.code === 0) {
      // finished but skipped some: should not happen; report rather than loop
      for (const e of left) results.set(e.id, { kind: 'crash', line: 0, column: 0, source: 'no answer from the host' });
      break;
    }
    const culprit = left[0];
    const why = outcome.timedOut ? `engine timed out after ${Math.round(limit / 1000)} s` : `cscript ended with status ${outcome.code}`;
    log(`${why} at entry ${culprit.id}; running the remaining ${left.length - 1} again`);
    results.set(culprit.id, { kind: 'crash', line: 0, column: 0, source: why });
    if (outcome.timedOut) killServer(prefix, tools);
    pending = left.slice(1);
    if (attempts > 20) {
      for (const e of pending) results.set(e.id, { kind: 'crash', line: 0, column: 0, source: 'too many engine failures' });
      break;
    }
    startServer(prefix, tools);
  }
  return results;
}

function parseResults(file) {
  const results = new Map();
  let done = false;
  let text = '';
  try {
    text = fs.readFileSync(file, 'latin1');
  } catch {
    return { results, done };
  }
  for (const raw of text.split(/\r?\n/)) {
    const line = raw.trim();
    if (line === 'done') { done = true; continue; }
    const f = line.split('|');
    if (f.length === 2 && f[1] === 'skip') {
      results.set(f[0], { kind: 'skip', line: 0, column: 0, source: '' });
      continue;
    }
    if (f.length < 6) continue;
    const [id, errNumber, , ln, col, ...src] = f;
    const source = src.join('|');
    let kind;
    if (Number(errNumber) === 32123) kind = 'ok';
    else if (Number(errNumber) === 0) kind = 'none';
    else if (/compil/i.test(source)) kind = 'compile';
    else if (/^host:/.test(source)) kind = 'crash';
    else kind = 'runtime';
    results.set(id, { kind, line: Number(ln), column: Number(col), source, number: Number(errNumber) });
  }
  return { results, done };
}

function runCscript(workDir, prefix, tools, timeoutMs) {
  return new Promise((resolve) => {
    // Output goes to a file, never a pipe: Wine's helper processes inherit
    // it and would keep a pipe open long after cscript ends.
    const logFd = fs.openSync(path.join(workDir, 'cscript.log'), 'a');
    const child = spawn(tools.wine, ['cscript.exe', '//nologo', 'host.vbs'], {
      cwd: workDir, env: wineEnv(prefix), stdio: ['ignore', logFd, logFd],
    });
    fs.closeSync(logFd);
    let timedOut = false;
    const timer = setTimeout(() => {
      timedOut = true;
      child.kill('SIGKILL');
    }, timeoutMs);
    child.on('error', (e) => {
      clearTimeout(timer);
      resolve({ code: -1, timedOut, error: e });
    });
    child.on('exit', (code, signal) => {
      clearTimeout(timer);
      resolve({ code: code ?? -1, signal, timedOut });
    });
  });
}
