#pragma once
// The project the benchmarks generate: 500 tables of 30 fields (text, numbers, dates, rich
// text, drop-downs fed by the previous table, Chinese names) plus a login table, with the
// default catalogue's template rows. Project id 1, named 基准.
#include "catalogue/snapshot.h"

namespace tabulon::bench {

inline constexpr int kTables = 500;
inline constexpr int kFieldsPerTable = 30;
inline constexpr catalogue::Id kProjectId = 1;

const catalogue::Snapshot& syntheticProject();

}  // namespace tabulon::bench
