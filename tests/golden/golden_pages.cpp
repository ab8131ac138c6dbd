#include "tests/golden/golden_pages.h"

#include <stdexcept>

#include "base/gbk.h"
#include "catalogue/catalogue.h"
#include "generator/build/site_build.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "tests/support/widget_design.h"

namespace tabulon::golden {

std::vector<std::string> designs() { return {"记账", "组件"}; }

std::map<std::string, std::string> pagesOf(const std::string& design) {
    auto catalogue = catalogue::Catalogue::inMemory();
    catalogue::Id project = 4;
    if (design == "组件")
        project = testing::addWidgetProject(catalogue);
    else if (design != "记账")
        throw std::invalid_argument("no golden design " + design);
    const auto model = catalogue::Snapshot::load(catalogue);

    generator::PagesStep pages(generator::PagesStep::everyPage(model, project));
    generator::LoginStep login;
    std::vector<generator::BuildStep*> steps = {&pages};
    if (design == "记账") steps.push_back(&login);
    generator::MemorySink sink;
    SilentMessages messages;
    generator::runBuild(model, "/run", project, steps, sink, messages);

    std::map<std::string, std::string> texts;
    for (const auto& file : sink.files())
        if (file.path.extension() == ".asp") texts[file.path.filename().string()] = gbk::decode(file.bytes);
    return texts;
}

}  // namespace tabulon::golden
