#include "generator/build/site_steps.h"

#include "generator/database/database_generator.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/skeleton/skeleton_release.h"

namespace tabulon::generator {

std::vector<std::unique_ptr<BuildStep>> wholeSiteSteps(const catalogue::Snapshot& model, catalogue::Id projectId,
                                                       unsigned threads) {
    std::vector<std::unique_ptr<BuildStep>> steps;
    steps.push_back(std::make_unique<SkeletonStep>());
    steps.push_back(std::make_unique<DatabaseStep>());
    auto pages = PagesStep::everyPage(model, projectId);
    pages.threads = threads;
    steps.push_back(std::make_unique<PagesStep>(std::move(pages)));
    steps.push_back(std::make_unique<LoginStep>());
    return steps;
}

}  // namespace tabulon::generator
