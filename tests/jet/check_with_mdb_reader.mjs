// Reads the files jet_write_samples wrote with mdb-reader and compares them
// with manifest.json: table list, columns and types, row count, every value.
// Exit 77 (skip) only when mdb-reader is not installed.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const folder = process.argv[2];
const nodeModules = process.env.TABULON_NODE_MODULES ||
  path.resolve(path.dirname(new URL(import.meta.url).pathname), '..', 'js', 'node_modules');

async function loadReader() {
  const packageDir = path.join(nodeModules, 'mdb-reader');
  if (!fs.existsSync(path.join(packageDir, 'package.json'))) {
    console.log(`mdb-reader is not installed in ${nodeModules} (run npm ci in tests/js): skipped`);
    process.exit(77);
  }
  const pkg = JSON.parse(fs.readFileSync(path.join(packageDir, 'package.json'), 'utf8'));
  const entry = pkg.exports?.['.']?.node ?? pkg.exports?.['.']?.import ?? pkg.main;
  return (await import(pathToFileURL(path.join(packageDir, entry)).href)).default;
}

function expectedValue(column, value) {
  if (value === null) return null;
  if (column.type === 'datetime') return new Date(value).getTime();
  return value;
}

function actualValue(column, value) {
  if (value instanceof Date) return value.getTime();
  return value;
}

const MDBReader = await loadReader();
const manifest = JSON.parse(fs.readFileSync(path.join(folder, 'manifest.json'), 'utf8'));
let checkedRows = 0;
for (const entry of manifest) {
  const reader = new MDBReader(fs.readFileSync(path.join(folder, entry.file)));
  const where = entry.file;
  assert.equal(reader.getPassword(), null, `${where}: password`);
  assert.deepEqual(reader.getTableNames(), entry.tables.map((t) => t.name), `${where}: tables`);
  assert.deepEqual(reader.getTableNames({ normalTables: false, systemTables: true }),
    ['MSysObjects', 'MSysACEs', 'MSysQueries', 'MSysRelationships'], `${where}: system tables`);
  for (const table of entry.tables) {
    const t = reader.getTable(table.name);
    const columns = t.getColumns();
    const at = `${where} / ${table.name}`;
    assert.equal(columns[0].name, 'id', `${at}: key column`);
    assert.equal(columns[0].type, 'long');
    assert.equal(columns[0].autoLong, true, `${at}: id is an autonumber`);
    assert.deepEqual(columns.slice(1).map((c) => c.name), table.columns.map((c) => c.name), `${at}: column names`);
    table.columns.forEach((expected, i) => {
      const actual = columns[i + 1];
      assert.equal(actual.type, expected.type, `${at}.${expected.name}: type`);
      if (expected.type === 'text') assert.equal(actual.size, 2 * expected.length, `${at}.${expected.name}: size`);
      if (expected.type === 'numeric') {
        assert.equal(actual.precision, expected.precision, `${at}.${expected.name}: precision`);
        assert.equal(actual.scale, expected.scale, `${at}.${expected.name}: scale`);
      }
    });
    assert.equal(t.rowCount, table.rows.length, `${at}: row count`);
    const data = t.getData();
    assert.equal(data.length, table.rows.length, `${at}: rows read`);
    data.forEach((row, r) => {
      assert.equal(row.id, table.ids ? table.ids[r] : r + 1, `${at}: id of row ${r}`);
      table.columns.forEach((column, c) => {
        assert.deepEqual(actualValue(column, row[column.name]), expectedValue(column, table.rows[r][c]),
          `${at}.${column.name} row ${row.id}`);
      });
      checkedRows++;
    });
  }
}
console.log(`mdb-reader read ${manifest.length} files and ${checkedRows} rows as written`);
