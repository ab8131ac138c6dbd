// Writes the benchmarks' source database: one table of a column of every type, N rows
// (a long memo every thousandth), made by our writer.
//   bench_rows_file OUT.mdb [ROWS]
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "bench/every_type_rows.h"
#include "jet/database.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench_rows_file OUT.mdb [ROWS]\n";
        return 2;
    }
    const int rows = argc > 2 ? std::atoi(argv[2]) : 1'000'000;
    try {
        auto db = tabulon::jet::Database::createEmpty();
        db.createTable({"商品", tabulon::bench::everyTypeColumns()});
        for (int i = 1; i <= rows; ++i) db.insertValues("商品", tabulon::bench::everyTypeValues(i));
        db.save(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
