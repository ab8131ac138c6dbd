#include "generator/build/site_steps.h"

#include "generator/database/database_generator.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/skeleton/skeleton_release.h"

namespace tabulon::generator {

std::vector<std::unique_ptr<BuildStep>> wholeSiteSteps(const catalogue::Snapshot& model, catalogue::Id projectId) {
    std::vector<std::unique_ptr<BuildStep>> steps;
    steps.push_back(std::make_unique<SkeletonStep>());
    steps.push_back(std::make_unique<DatabaseStep>());
    steps.push_back(std::make_unique<PagesStep>(PagesStep::everyPage(model, projectId)));
    steps.push_back(std::make_unique<LoginStep>());
    return steps;
}

}  // namespace tabulon::generator
