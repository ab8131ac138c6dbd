#pragma once

namespace SQLite {
class Database;
}

namespace tabulon::catalogue {

// Writes the content a new catalogue starts with: the sample project 记账 with its four
// tables and twelve fields, and the 47 default page template rows. Later rows are
// numbered after the highest ids the default content reserves (项目 4, 表 27, 字段 163,
// 模板定义 54).
void writeDefaultContent(SQLite::Database& db);

}  // namespace tabulon::catalogue
