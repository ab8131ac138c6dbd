#include "generator/build/site_build.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <string>
#include <utility>
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

// One run of a list of steps. Steps run in order on the calling thread, except one step
// that may start early on another thread: the first later step whose needs are already
// made (StepUse). A step's messages are shown as they come when every step before it has
// been reported, and are held back until then otherwise. A step runs only when every
// earlier step that makes something it needs has made it.
class BuildRun {
public:
    BuildRun(const StepInput& input, std::span<BuildStep* const> steps, SiteSink& sink, Messages& messages,
             const BuildProgress& progress)
        : steps_(steps),
          sink_(sink),
          messages_(messages),
          progress_(progress),
          slots_(steps.size()),
          overlapping_(input.threads != 1) {
        for (std::size_t index = 0; index < steps.size(); ++index) slots_[index].use = steps[index]->use();
        Products neededLater;
        for (std::size_t index = steps.size(); index-- > 0;) {
            Slot& slot = slots_[index];
            slot.input.emplace(input);
            slot.input->context = &context_;
            slot.input->neededLater = neededLater & slot.use.makes;
            neededLater = neededLater | slot.use.needs;
            for (std::size_t before = 0; before < index; ++before)
                if (!(slots_[before].use.makes & slot.use.needs).empty()) slot.after.push_back(before);
        }
    }

    // Stores the site database no step took; returns the message of a failed store.
    std::vector<std::string> storeUntaken() { return context_.storeUntaken(sink_); }

    std::vector<StepResult> run() {
        for (std::size_t index = 0; index < steps_.size(); ++index) {
            if (index == sideIndex_) continue;
            // A step that needs what the other thread makes waits for it.
            if (side_.joinable() && waitsFor(index, sideIndex_)) finishSide();
            if (!mayRun(index)) {
                slots_[index].skipped = slots_[index].finished = true;
                reportFinished();
                continue;
            }
            if (!side_.joinable() && overlapping_) startSideStepAfter(index);
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
        StepUse use;
        std::vector<std::size_t> after;  // earlier steps that make what this one needs
        std::optional<StepInput> input;
        RecordedMessages held;
        StepResult result;
        bool finished = false;
        bool skipped = false;  // not run: something it needs was not made
    };

    // True when step `index` needs something step `maker` makes.
    bool waitsFor(std::size_t index, std::size_t maker) const {
        const auto& after = slots_[index].after;
        return std::find(after.begin(), after.end(), maker) != after.end();
    }

    bool made(std::size_t index) const {
        const Slot& slot = slots_[index];
        return slot.finished && !slot.skipped && !slot.result.madeNothing;
    }

    bool mayRun(std::size_t index) const {
        return std::all_of(slots_[index].after.begin(), slots_[index].after.end(),
                           [this](std::size_t maker) { return made(maker); });
    }

    void report(std::size_t index, std::size_t done, std::size_t total) const {
        if (progress_) progress_(index, steps_.size(), *steps_[index], done, total);
    }

    // Starts the first step after `index` whose needs are all made on another thread.
    void startSideStepAfter(std::size_t index) {
        for (std::size_t later = index + 1; later < steps_.size(); ++later) {
            if (!mayRun(later)) continue;
            sideIndex_ = later;
            sideDone_ = false;
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
            // Moving keeps madeNothing, which later steps still ask about.
            results_.push_back(std::move(slot.result));
            ++reported_;
        } else {
            slot.result = steps_[index]->run(*slot.input, sink_, slot.held, {});
        }
        slot.finished = true;
    }

    void finishSide() {
        if (!side_.joinable()) return;
        side_.join();
        if (sideError_) std::rethrow_exception(sideError_);
        slots_[sideIndex_].finished = true;
    }

    // Why step `index` did not run: "④生成登录代码没有运行：它需要的网站数据库没有生成。"
    std::string whySkipped(std::size_t index) const {
        Products missing;
        for (std::size_t maker : slots_[index].after)
            if (!made(maker)) missing = missing | (slots_[maker].use.makes & slots_[index].use.needs);
        std::string what;
        for (const auto& [product, name] :
             {std::pair{Product::SiteFolder, "网站文件夹"}, std::pair{Product::SiteDatabase, "网站数据库"}})
            if (missing.has(product)) what += (what.empty() ? "" : "和") + std::string(name);
        return std::string(steps_[index]->title()) + "没有运行：它需要的" + what + "没有生成。";
    }

    // Shows, in step order, what finished steps held back, and why a skipped step did not run.
    void reportFinished() {
        while (reported_ < steps_.size() && slots_[reported_].finished) {
            Slot& slot = slots_[reported_];
            if (slot.skipped) {
                messages_.show(whySkipped(reported_));
            } else {
                report(reported_, 0, 1);
                for (const auto& text : slot.held.texts()) messages_.show(text);
                report(reported_, 1, 1);
                results_.push_back(std::move(slot.result));
            }
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
    const bool overlapping_;    // one thread: every step in order on the calling thread
    std::size_t sideIndex_ = static_cast<std::size_t>(-1);
    std::exception_ptr sideError_;
    std::atomic<bool> sideDone_{false};
    std::jthread side_;  // last: joined before anything it writes to goes
};

}  // namespace

BuildResult runBuild(const catalogue::Snapshot& model, const std::filesystem::path& runDir, catalogue::Id projectId,
                     std::span<BuildStep* const> steps, SiteSink& sink, Messages& messages,
                     const BuildProgress& progress, unsigned threads) {
    BuildResult result;
    const catalogue::Project* project = model.project(projectId);
    if (!project) {
        if (!steps.empty()) messages.show(steps.front()->missingProjectMessage(projectId));
        return result;
    }
    result.projectFound = true;
    StepInput input{model, *project, runDir};
    input.threads = threads;
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
