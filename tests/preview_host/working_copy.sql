-- The test site's data in the working copy's layout: three Jet tables.
CREATE TABLE "tabulon.tables" (position INTEGER PRIMARY KEY, name TEXT NOT NULL, sqlite_name TEXT NOT NULL);
CREATE TABLE "tabulon.columns" (table_position INTEGER NOT NULL, position INTEGER NOT NULL, name TEXT NOT NULL,
  jet_type TEXT NOT NULL, size INTEGER NOT NULL, precision INTEGER NOT NULL, scale INTEGER NOT NULL,
  required INTEGER NOT NULL, PRIMARY KEY (table_position, position));
CREATE TABLE "tabulon.info" (key TEXT PRIMARY KEY, value TEXT);
INSERT INTO "tabulon.info" VALUES ('format', '1'), ('source', 'tests');

INSERT INTO "tabulon.tables" VALUES (1, 'items', 'items'), (2, '账目', '账目'), (3, 'pages', 'pages');
INSERT INTO "tabulon.columns" VALUES
  (1, 0, 'id', 'Counter', 4, 0, 0, 1),
  (1, 1, 'name', 'Text', 20, 0, 0, 0),
  (1, 2, 'qty', 'Long', 4, 0, 0, 0),
  (1, 3, 'born', 'DateTime', 8, 0, 0, 0),
  (1, 4, 'note', 'Memo', 0, 0, 0, 0),
  (1, 5, 'ok', 'Boolean', 1, 0, 0, 0),
  (2, 0, 'id', 'Counter', 4, 0, 0, 1),
  (2, 1, '名称', 'Text', 50, 0, 0, 0),
  (2, 2, '金额', 'Double', 8, 0, 0, 0),
  (3, 0, 'id', 'Counter', 4, 0, 0, 1),
  (3, 1, 'title', 'Text', 50, 0, 0, 0);

CREATE TABLE "items" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "name" TEXT COLLATE NOCASE, "qty" INTEGER,
  "born" REAL, "note" TEXT COLLATE NOCASE, "ok" INTEGER);
INSERT INTO "items" ("name", "qty", "born", "note", "ok") VALUES
  ('apple', 3, 45322.0, NULL, -1),
  ('Banana', 7, 45323.5, 'yellow', 0),
  ('cherry', NULL, NULL, NULL, 0);

CREATE TABLE "账目" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "名称" TEXT COLLATE NOCASE, "金额" REAL);
INSERT INTO "账目" ("名称", "金额") VALUES ('午餐', 25.5), ('晚餐', 40);

CREATE TABLE "pages" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "title" TEXT COLLATE NOCASE);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 23)
INSERT INTO "pages" ("title") SELECT 'row ' || i FROM n;
