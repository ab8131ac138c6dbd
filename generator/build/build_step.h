#pragma once
// One step of a site build (skeleton, database, pages, login). Every step reads the same
// typed model, emits whole files into one sink and reports through Messages; the site
// build (site_build.h) runs any of them in order.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "catalogue/snapshot.h"
#include "generator/build/build_context.h"
#include "generator/site_sink.h"

namespace tabulon::generator {

// Called as a step advances with (units done, units in all).
using Progress = std::function<void(std::size_t, std::size_t)>;

struct StepInput {
    const catalogue::Snapshot& model;
    const catalogue::Project& project;
    const std::filesystem::path& runDir;  // the site folder is `<runDir>/<项目名称>`
    // A later step of the build takes the site database (BuildStep::takesDatabase): the
    // step that makes it keeps it in `context` instead of writing it.
    bool databaseTakenLater = false;
    // What the steps of this build hand each other; none for a step run alone.
    BuildContext* context = nullptr;
};

struct StepResult {
    std::vector<std::filesystem::path> written;  // in the order the step defines
    std::size_t problems = 0;                    // each already reported by a message
    bool stopsBuild = false;                     // later steps must not run
};

class BuildStep {
public:
    virtual ~BuildStep() = default;
    // The step's caption in the window: "①释放原始文件".
    virtual std::string_view title() const = 0;
    // What the step says when the chosen project does not exist (nothing is written).
    virtual std::string missingProjectMessage(catalogue::Id projectId) const = 0;
    // Emits the step's files into `sink`. Problems of the design or of the disk are shown
    // through `messages` and counted; a programming error propagates as an exception.
    virtual StepResult run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress& progress) = 0;
    // True when the step reads nothing another step writes and writes nothing another
    // reads: the build may then run it on another core alongside the steps around it, once
    // no step before it can stop the build, holding back the messages of later steps
    // until its own are out.
    virtual bool independent() const { return false; }
    // True when the step takes the site database an earlier step of the build keeps in the
    // build's context (BuildContext::takeSiteDatabase), and stores it.
    virtual bool takesDatabase() const { return false; }
    // True when a failure of the step can stop the build (its result's stopsBuild).
    virtual bool mayStopBuild() const { return false; }
};

}  // namespace tabulon::generator
