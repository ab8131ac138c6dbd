#include "cli/prepare_preview_command.h"

#include "base/error.h"
#include "base/file_output.h"
#include "cli/commands.h"
#include "preview/server/child_process.h"
#include "preview/server/prefix_preparation.h"

namespace tabulon::cli {

int preparePreview(Messages& messages) {
    const auto environment = preview::currentEnvironment();
    const auto wine = preview::findWine(preview::variable(environment, "PATH").value_or(""));
    if (!wine) {
        messages.show(preview::missingWineMessage());
        return kFailure;
    }
    try {
        preview::PrefixPreparation preparation(*wine, environment);
        if (preparation.making())
            messages.show("正在建立预览用的 Wine 环境 " + displayPath(preparation.prefix()) + "（只需一次）……");
        preparation.wait([&messages](int seconds) {
            messages.show("……仍在建立 Wine 环境（已用 " + std::to_string(seconds) + " 秒）");
        });
        messages.show("预览环境已就绪。");
        return kSuccess;
    } catch (const Error& e) {
        messages.show(e.what());
        return kFailure;
    }
}

}  // namespace tabulon::cli
