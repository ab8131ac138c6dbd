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
// first step's own message and nothing runs; a step whose result stops the build ends it.
// An independent step (BuildStep::independent) may run on another thread alongside the
// steps around it; messages still come in step order, and a step whose messages were held
// back has its progress reported only as started and done.
BuildResult runBuild(const catalogue::Snapshot& model, const std::filesystem::path& runDir, catalogue::Id projectId,
                     std::span<BuildStep* const> steps, SiteSink& sink, Messages& messages,
                     const BuildProgress& progress = {});

}  // namespace tabulon::generator
