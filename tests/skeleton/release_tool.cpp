// Test helper: releases the carried skeleton into <site folder> below <run folder>, for
// the checks that look at the released (GBK) files with other tools.
//   skeleton_release_tool <run folder> <site folder>
#include <iostream>

#include "base/error.h"
#include "generator/site_sink.h"
#include "generator/skeleton/skeleton_release.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: skeleton_release_tool <run folder> <site folder>\n";
        return 2;
    }
    try {
        tabulon::generator::FileSink disk;
        const auto written = tabulon::generator::releaseSkeleton(argv[1], argv[2], disk);
        std::cout << written.size() << " files\n";
        return 0;
    } catch (const tabulon::Error& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
