#pragma once
// Page 0, the database definition page.

#include <string>
#include <string_view>

#include "jet/page_size.h"

namespace tabulon::jet {

// The header of a fresh Jet 4 database, masked as Jet stores it.
std::string buildHeaderPage();

// Throws Error unless `page` is the header of an unencrypted Jet 4 file.
void checkHeaderPage(std::string_view page);

// RC4 keystream; exposed for tests of the masking.
std::string rc4Keystream(std::string_view key, std::size_t length);

}  // namespace tabulon::jet
