#pragma once
// The site build: runs a chosen list of steps in order on one project, into one sink.
// The command line, the window and the preview all build through here.
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "generator/build/build_step.h"

namespace tabulon::generator {

struct BuildResult {
    bool projectFound = false;
    std::vector<StepResult> steps;  // one per step that ran, in order

    std::size_t problems() const;
    std::vector<std::filesystem::path> written() const;
    bool succeeded() const { return projectFound && problems() == 0; }
};

// Reported before and while each step runs: (step index, step count, step, done, total).
using BuildProgress = std::function<void(std::size_t, std::size_t, const BuildStep&, std::size_t, std::size_t)>;

// Runs `steps` in order on the project `projectId`. A missing project is reported with the
// first step's own message and nothing runs. A step does not run when an earlier step that
// makes something it needs (BuildStep::use) did not make it. With `threads` other than 1, a
// step whose needs are made may start on another thread before its turn; messages still
// come in step order, and a step whose messages were held back has its progress reported
// only as started and done. `threads` also goes to each step (StepInput::threads).
BuildResult runBuild(const catalogue::Snapshot& model, const std::filesystem::path& runDir, catalogue::Id projectId,
                     std::span<BuildStep* const> steps, SiteSink& sink, Messages& messages,
                     const BuildProgress& progress = {}, unsigned threads = 0);

}  // namespace tabulon::generator
