#include "generator/build/site_build.h"

#include <atomic>
#include <exception>
#include <optional>
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

namespace {

// One run of a list of steps. Steps run in order on the calling thread, except one
// independent step, which starts on another thread as early as it may: once no step
// before it can still stop the build. A step's messages are shown as they come when
// every step before it has been reported, and are held back until then otherwise.
class BuildRun {
public:
    BuildRun(const StepInput& input, std::span<BuildStep* const> steps, SiteSink& sink, Messages& messages,
             const BuildProgress& progress)
        : steps_(steps), sink_(sink), messages_(messages), progress_(progress), slots_(steps.size()) {
        // Each step learns whether a later one takes the database it may make.
        bool takenLater = false;
        for (std::size_t index = steps.size(); index-- > 0;) {
            slots_[index].input.emplace(input);
            slots_[index].input->databaseTakenLater = takenLater;
            slots_[index].input->context = &context_;
            takenLater = takenLater || steps[index]->takesDatabase();
        }
    }

    // Stores the site database no step took; returns the message of a failed store.
    std::vector<std::string> storeUntaken() { return context_.storeUntaken(sink_); }

    std::vector<StepResult> run() {
        for (std::size_t index = 0; index < steps_.size() && !stopped_; ++index) {
            if (index == sideIndex_) continue;
            if (!side_.joinable()) startSideStepAfter(index);
            runHere(index);
            if (sideDone_) finishSide();
            reportFinished();
        }
        finishSide();
        reportFinished();
        return std::move(results_);
    }

private:
    struct Slot {
        std::optional<StepInput> input;
        RecordedMessages held;
        StepResult result;
        bool finished = false;
    };

    void report(std::size_t index, std::size_t done, std::size_t total) const {
        if (progress_) progress_(index, steps_.size(), *steps_[index], done, total);
    }

    // Starts the first independent step after `index` on another thread, unless a step
    // before it may stop the build (then it must wait its turn).
    void startSideStepAfter(std::size_t index) {
        for (std::size_t later = index + 1; later < steps_.size(); ++later) {
            if (steps_[later - 1]->mayStopBuild()) return;
            if (!steps_[later]->independent() || steps_[later]->mayStopBuild()) continue;
            sideIndex_ = later;
            side_ = std::jthread([this, later] {
                try {
                    slots_[later].result = steps_[later]->run(*slots_[later].input, sink_, slots_[later].held, {});
                } catch (...) {
                    sideError_ = std::current_exception();
                }
                sideDone_ = true;
            });
            return;
        }
    }

    void runHere(std::size_t index) {
        Slot& slot = slots_[index];
        if (reported_ == index) {
            report(index, 0, 1);
            Progress stepProgress;
            if (progress_)
                stepProgress = [this, index](std::size_t done, std::size_t total) { report(index, done, total); };
            slot.result = steps_[index]->run(*slot.input, sink_, messages_, stepProgress);
            report(index, 1, 1);
            results_.push_back(std::move(slot.result));
            ++reported_;
        } else {
            slot.result = steps_[index]->run(*slot.input, sink_, slot.held, {});
        }
        slot.finished = true;
        if (slot.result.stopsBuild) stopped_ = true;
    }

    void finishSide() {
        if (!side_.joinable()) return;
        side_.join();
        if (sideError_) std::rethrow_exception(sideError_);
        slots_[sideIndex_].finished = true;
    }

    // Shows, in step order, what finished steps held back.
    void reportFinished() {
        while (reported_ < steps_.size() && slots_[reported_].finished) {
            Slot& slot = slots_[reported_];
            report(reported_, 0, 1);
            for (const auto& text : slot.held.texts()) messages_.show(text);
            report(reported_, 1, 1);
            results_.push_back(std::move(slot.result));
            ++reported_;
        }
    }

    std::span<BuildStep* const> steps_;
    SiteSink& sink_;
    BuildContext context_;
    Messages& messages_;
    const BuildProgress& progress_;
    std::vector<Slot> slots_;
    std::vector<StepResult> results_;
    std::size_t reported_ = 0;  // steps whose messages and result are out
    bool stopped_ = false;
    std::size_t sideIndex_ = static_cast<std::size_t>(-1);
    std::exception_ptr sideError_;
    std::atomic<bool> sideDone_{false};
    std::jthread side_;  // last: joined before anything it writes to goes
};

}  // namespace

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
    BuildRun run(input, steps, sink, messages, progress);
    try {
        result.steps = run.run();
    } catch (...) {
        // A database kept for a step that never took it is still written.
        run.storeUntaken();
        throw;
    }
    for (const auto& failure : run.storeUntaken()) {
        messages.show(failure);
        if (!result.steps.empty()) ++result.steps.back().problems;
    }
    return result;
}

}  // namespace tabulon::generator
