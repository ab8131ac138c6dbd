#include "generator/build/site_build.h"

#include <exception>
#include <thread>

namespace tabulon::generator {

std::size_t BuildResult::problems() const {
    std::size_t sum = projectFound ? 0 : 1;
    for (const auto& step : steps) sum += step.problems;
    return sum;
}

std::vector<std::filesystem::path> BuildResult::written() const {
    std::vector<std::filesystem::path> all;
    for (const auto& step : steps) all.insert(all.end(), step.written.begin(), step.written.end());
    return all;
}

BuildResult runBuild(const catalogue::Snapshot& model, const std::filesystem::path& runDir, catalogue::Id projectId,
                     std::span<BuildStep* const> steps, SiteSink& sink, Messages& messages,
                     const BuildProgress& progress) {
    BuildResult result;
    const catalogue::Project* project = model.project(projectId);
    if (!project) {
        if (!steps.empty()) messages.show(steps.front()->missingProjectMessage(projectId));
        return result;
    }
    result.projectFound = true;
    const StepInput input{model, *project, runDir};
    const auto report = [&](std::size_t index, std::size_t done, std::size_t total) {
        if (progress) progress(index, steps.size(), *steps[index], done, total);
    };
    const auto runStep = [&](std::size_t index, Messages& to) {
        report(index, 0, 1);
        Progress stepProgress;
        if (progress) stepProgress = [&, index](std::size_t done, std::size_t total) { report(index, done, total); };
        return steps[index]->run(input, sink, to, stepProgress);
    };
    for (std::size_t index = 0; index < steps.size(); ++index) {
        const bool sideBySide =
            index + 1 < steps.size() && steps[index + 1]->runsAlongsidePrevious() && !steps[index]->mayStopBuild();
        if (!sideBySide) {
            result.steps.push_back(runStep(index, messages));
            report(index, 1, 1);
            if (result.steps.back().stopsBuild) break;
            continue;
        }
        // The next step runs on another thread; its messages wait for this step's.
        RecordedMessages held;
        StepResult heldResult;
        std::exception_ptr heldError;
        {
            std::jthread alongside([&] {
                try {
                    heldResult = steps[index + 1]->run(input, sink, held, {});
                } catch (...) {
                    heldError = std::current_exception();
                }
            });
            result.steps.push_back(runStep(index, messages));
            report(index, 1, 1);
        }
        if (heldError) std::rethrow_exception(heldError);
        ++index;
        report(index, 0, 1);
        for (const auto& text : held.texts()) messages.show(text);
        report(index, 1, 1);
        result.steps.push_back(std::move(heldResult));
    }
    return result;
}

}  // namespace tabulon::generator
