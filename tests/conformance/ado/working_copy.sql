-- A shop in the working copy's layout: categories, goods (one without a category) and stock.
CREATE TABLE "tabulon.tables" (position INTEGER PRIMARY KEY, name TEXT NOT NULL, sqlite_name TEXT NOT NULL);
CREATE TABLE "tabulon.columns" (table_position INTEGER NOT NULL, position INTEGER NOT NULL, name TEXT NOT NULL,
  jet_type TEXT NOT NULL, size INTEGER NOT NULL, precision INTEGER NOT NULL, scale INTEGER NOT NULL,
  required INTEGER NOT NULL, PRIMARY KEY (table_position, position));
CREATE TABLE "tabulon.info" (key TEXT PRIMARY KEY, value TEXT);
INSERT INTO "tabulon.info" VALUES ('format', '1'), ('source', 'tests');

INSERT INTO "tabulon.tables" VALUES (1, '分类', '分类'), (2, '商品', '商品'), (3, '库存', '库存');
INSERT INTO "tabulon.columns" VALUES
  (1, 0, 'id', 'Counter', 4, 0, 0, 1),
  (1, 1, '名称', 'Text', 20, 0, 0, 0),
  (2, 0, 'id', 'Counter', 4, 0, 0, 1),
  (2, 1, '分类id', 'Long', 4, 0, 0, 0),
  (2, 2, '名称', 'Text', 20, 0, 0, 0),
  (2, 3, '价格', 'Double', 8, 0, 0, 0),
  (2, 4, '上架', 'DateTime', 8, 0, 0, 0),
  (3, 0, 'id', 'Counter', 4, 0, 0, 1),
  (3, 1, '商品id', 'Long', 4, 0, 0, 0),
  (3, 2, '数量', 'Long', 4, 0, 0, 0);

CREATE TABLE "分类" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "名称" TEXT COLLATE NOCASE);
INSERT INTO "分类" ("名称") VALUES ('水果'), ('饮料'), ('文具');

CREATE TABLE "商品" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "分类id" INTEGER, "名称" TEXT COLLATE NOCASE,
  "价格" REAL, "上架" REAL);
INSERT INTO "商品" ("分类id", "名称", "价格", "上架") VALUES
  (1, '苹果', 5.5, 45322.375),
  (1, '香蕉', 3, 45351.0),
  (2, '可乐', 2.5, 45291.99998842592),
  (NULL, '散装', 10, 45352.520833333336);

CREATE TABLE "库存" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "商品id" INTEGER, "数量" INTEGER);
INSERT INTO "库存" ("商品id", "数量") VALUES (1, 10), (3, 0);
