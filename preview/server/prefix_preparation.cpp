#include "preview/server/prefix_preparation.h"

#include <memory>
#include <thread>

namespace tabulon::preview {

PrefixPreparation::PrefixPreparation(const WineTools& tools, std::vector<std::string> environment)
    : tools_(tools),
      environment_(std::move(environment)),
      prefix_(previewPrefix(environment_)),
      making_(!prefixReady(prefix_)),
      started_(std::chrono::steady_clock::now()) {
    if (!making_) return;
    // A thread of its own that holds copies: a run that ends early (a mistyped project) does
    // not wait for it, and a prefix left half made is made again by the next run.
    auto promise = std::make_shared<std::promise<bool>>();
    made_ = promise->get_future();
    std::thread([promise, tools = tools_, environment = environment_, prefix = prefix_] {
        try {
            promise->set_value(ensurePrefix(prefix, tools, environment));
        } catch (...) {
            promise->set_exception(std::current_exception());
        }
    }).detach();
}

PrefixPreparation::~PrefixPreparation() = default;

void PrefixPreparation::wait(const std::function<void(int seconds)>& progress, std::chrono::milliseconds every) {
    if (made_.valid()) {
        while (made_.wait_for(every) != std::future_status::ready)
            if (progress)
                progress(static_cast<int>(
                    std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_)
                        .count()));
        made_.get();
    } else if (!waited_) {
        ensurePrefix(prefix_, tools_, environment_);  // one another program may still be making
    }
    if (!waited_) startWineServer(tools_, wineEnvironment(environment_, prefix_));
    waited_ = true;
}

}  // namespace tabulon::preview
