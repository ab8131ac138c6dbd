#pragma once
// `tabulon prepare-preview`: makes the preview's Wine prefix (the slow part of the first
// preview on a machine) and starts its wineserver, then ends. The window runs it as soon as
// it opens, so the first preview starts at once.
#include "base/messages.h"

namespace tabulon::cli {

int preparePreview(Messages& messages);

}  // namespace tabulon::cli
