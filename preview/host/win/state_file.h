#pragma once
// Sessions and Application values kept in a file of the preview's own, so a host that is
// restarted (a page that ran too long, a crash) keeps everyone logged in and keeps the
// login lock-outs. Objects in Session or Application are not kept.
#include <string>

#include "page_context.h"

namespace tabulon::preview::host {

// Reads the file if there is one; a missing or damaged file starts empty (and says so on
// stderr when damaged). Chooses the session cookie's name: the kept one, else a new one.
void loadState(const std::wstring& file);
// Takes what the session holds for the next write: called by the page that holds the
// session, as it ends (the writer never reads a session a page is changing).
void keepSessionValues(SessionData& session);
// Writes the file whole (a temporary file renamed over it) when anything kept has changed
// since the last write.
void saveStateIfChanged(const std::wstring& file);

}  // namespace tabulon::preview::host
