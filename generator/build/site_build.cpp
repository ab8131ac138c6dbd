#include "generator/build/site_build.h"

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
    for (std::size_t index = 0; index < steps.size(); ++index) {
        BuildStep& step = *steps[index];
        Progress stepProgress;
        if (progress) {
            progress(index, steps.size(), step, 0, 1);
            stepProgress = [&](std::size_t done, std::size_t total) { progress(index, steps.size(), step, done, total); };
        }
        result.steps.push_back(step.run(input, sink, messages, stepProgress));
        if (progress) progress(index, steps.size(), step, 1, 1);
        if (result.steps.back().stopsBuild) break;
    }
    return result;
}

}  // namespace tabulon::generator
