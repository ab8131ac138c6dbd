// The preview's working copy read the way a test may: read-only, by the sqlite3 command
// line, every value turned into what the page should show for the column's designed type.
import { spawnSync } from 'node:child_process';

/** Why the working copy cannot be read here, or null. */
export function sqliteMissing() {
  const r = spawnSync('sqlite3', ['-version'], { encoding: 'utf8' });
  return r.error ? 'the sqlite3 command line is not installed (Debian package sqlite3)' : null;
}

function quoteName(name) {
  return `"${name.replace(/"/g, '""')}"`;
}

/** Rows of a query as objects (column → raw SQLite value), the file opened read-only. */
export function query(file, sql) {
  const r = spawnSync('sqlite3', ['-readonly', '-json', '-cmd', '.timeout 5000', file, sql], { encoding: 'utf8', maxBuffer: 256 << 20 });
  if (r.error) throw r.error;
  if (r.status !== 0) throw new Error(`sqlite3 ${file}: ${sql}\n${r.stderr}`);
  return r.stdout.trim() === '' ? [] : JSON.parse(r.stdout);
}

/** Runs statements that change the file (benchmark seeding only; tests read). */
export function execute(file, sql) {
  const r = spawnSync('sqlite3', ['-cmd', '.timeout 5000', file], { input: sql, encoding: 'utf8', maxBuffer: 64 << 20 });
  if (r.error) throw r.error;
  if (r.status !== 0) throw new Error(`sqlite3 ${file}: ${r.stderr}`);
}

/** The user tables of the working copy (names as stored). */
export function tableNames(file) {
  return query(file, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name").map((r) => r.name);
}

/** The column names of a table, in order. */
export function columnNames(file, table) {
  return query(file, `SELECT name FROM pragma_table_info('${table.replace(/'/g, "''")}')`).map((r) => r.name);
}

/** Every row of a table in key order, values normalised for `types` (column → designed type). */
export function rows(file, table, types = {}) {
  return query(file, `SELECT * FROM ${quoteName(table)} ORDER BY id`).map((row) => normaliseRow(row, types));
}

export function rowById(file, table, id, types = {}) {
  const found = query(file, `SELECT * FROM ${quoteName(table)} WHERE id = ${Number(id)}`);
  return found.length ? normaliseRow(found[0], types) : null;
}

export function count(file, table) {
  return query(file, `SELECT count(*) AS n FROM ${quoteName(table)}`)[0].n;
}

function normaliseRow(row, types) {
  const out = {};
  for (const [column, value] of Object.entries(row)) out[column] = normalise(value, types[column]);
  return out;
}

const NUMERIC = new Set(['长整型', '整型', '双精度', '单精度', '字节型', '小数']);

/**
 * A stored value as the designed type means it: numbers as numbers, 日期时间 as
 * 'YYYY-MM-DD HH:MM:SS' (whether the copy keeps text or an OLE day count), 逻辑 as a
 * boolean, empty and Null as null.
 */
export function normalise(value, type) {
  if (value === null || value === undefined) return null;
  if (NUMERIC.has(type)) return value === '' ? null : Number(value);
  if (type === '逻辑') {
    if (typeof value === 'string') return /^(true|-1|1|yes|on)$/i.test(value.trim());
    return Number(value) !== 0;
  }
  if (type === '日期时间') return typeof value === 'number' ? fromOleDate(value) : dateText(String(value));
  return String(value);
}

function pad(n) {
  return String(n).padStart(2, '0');
}

/** OLE automation date (days since 1899-12-30, fraction for the time) as text. */
export function fromOleDate(days) {
  const ms = Math.round(days * 86_400_000) + Date.UTC(1899, 11, 30);
  const d = new Date(ms);
  return `${d.getUTCFullYear()}-${pad(d.getUTCMonth() + 1)}-${pad(d.getUTCDate())} ${pad(d.getUTCHours())}:${pad(d.getUTCMinutes())}:${pad(d.getUTCSeconds())}`;
}

/** 'YYYY-MM-DD HH:MM:SS' from text with a year first (- / . or 年月日 between the parts), else the text. */
export function dateText(text) {
  const m = text.match(/(\d{4})\D{1,2}(\d{1,2})\D{1,2}(\d{1,2})\D*(?:(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?/);
  if (!m) return text;
  return `${m[1]}-${pad(m[2])}-${pad(m[3])} ${pad(m[4] ?? 0)}:${pad(m[5] ?? 0)}:${pad(m[6] ?? 0)}`;
}
