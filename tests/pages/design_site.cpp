// Writes two complete sites into a run folder for the checks that run generated code:
// the sample project 记账 and a project 组件 whose tables exercise every widget rule, a
// broken link, a table without fields, a Latin table name and a search over fields whose
// names begin alike. Each site gets the skeleton and all five page kinds of every table.
//
//   pages_design_site <run folder>
//
// The folder is made afresh: an existing one is emptied only when this tool made it.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "base/error.h"
#include "catalogue/catalogue.h"
#include "catalogue/snapshot.h"
#include "generator/driver.h"
#include "generator/skeleton/skeleton_release.h"

namespace {

using namespace tabulon;
using catalogue::Field;
using catalogue::Id;

class Design {
public:
    explicit Design(catalogue::Catalogue& catalogue) : catalogue_(catalogue) {}

    Id table(Id project, const std::string& name) { return catalogue_.addTable({0, project, name, ""}); }

    Id field(Id table, const std::string& name, const std::string& type, const std::string& input,
             const std::string& linkTable = "", const std::string& linkField = "") {
        Field field;
        field.tableId = table;
        field.name = name;
        field.type = type;
        field.inputType = input;
        field.linkTable = linkTable;
        field.linkField = linkField;
        field.order = ++order_;
        return catalogue_.addField(field);
    }

    void cascade(Id fieldId, Id table, Id listed, Id condition, Id display) {
        auto field = catalogue_.field(fieldId).value();
        field.cascadeTable = std::to_string(table);
        field.cascadeField = std::to_string(listed);
        field.cascadeCondition = std::to_string(condition);
        field.cascadeDisplay = std::to_string(display);
        catalogue_.updateField(field);
    }

    void describe(Id fieldId, const std::string& description) {
        auto field = catalogue_.field(fieldId).value();
        field.description = description;
        catalogue_.updateField(field);
    }

private:
    catalogue::Catalogue& catalogue_;
    std::int64_t order_ = 0;
};

std::string text(Id id) { return std::to_string(id); }

void addWidgetProject(catalogue::Catalogue& catalogue) {
    Design d(catalogue);
    const Id project = catalogue.addProject({0, "组件", "every widget rule"});

    const Id kinds = d.table(project, "分类");
    const Id kindName = d.field(kinds, "名称", "文本", "文本框");
    d.field(kinds, "排序", "整型", "文本框");

    const Id cities = d.table(project, "城市");
    const Id cityKind = d.field(cities, "分类", "长整型", "组合框", text(kinds), text(kindName));
    const Id cityName = d.field(cities, "名称", "文本", "文本框");

    const Id parts = d.table(project, "组件");
    d.field(parts, "标题", "文本", "文本框");
    d.field(parts, "数量", "整型", "文本框");
    d.field(parts, "单价", "小数", "文本框");
    const Id code = d.field(parts, "编码", "文本", "文本框");
    d.field(parts, "正文", "备注", "文本域");
    d.field(parts, "摘要", "备注", "文本域");
    d.field(parts, "开始", "日期时间", "时间框");
    d.field(parts, "结束", "日期时间", "时间框");
    const Id major = d.field(parts, "大类", "文本", "组合框", text(kinds), text(kindName));
    const Id minor = d.field(parts, "小类", "文本", "组合框", text(cities), text(cityName));
    d.field(parts, "主键", "文本", "组合框", text(kinds), "0");
    d.field(parts, "无表", "文本", "组合框", "0", text(kindName));
    d.field(parts, "备用", "文本", "");
    d.field(parts, "来源", "文本", "下拉");
    d.describe(d.field(parts, "price", "单精度", "文本框"), "价格");
    d.field(parts, "启用", "逻辑", "文本框");
    d.field(parts, "重量", "双精度", "文本框");
    d.cascade(major, cities, cityName, cityKind, minor);
    d.cascade(code, cities, cityName, cityKind, minor);

    const Id broken = d.table(project, "断链");
    d.field(broken, "名称", "文本", "文本框");
    d.field(broken, "类别", "文本", "组合框", text(kinds), "99999");
    d.field(broken, "数量", "整型", "文本框");

    d.table(project, "空表");

    const Id orders = d.table(project, "Orders");
    d.describe(d.field(orders, "item", "文本", "文本框"), "物品");

    const Id search = d.table(project, "搜索");
    d.field(search, "名称", "文本", "文本框");
    d.field(search, "名称备注", "备注", "文本域");
    d.field(search, "数量", "整型", "文本框");
    d.field(search, "日期", "日期时间", "时间框");
}

int generateSite(const catalogue::Snapshot& model, const std::filesystem::path& runDir, const std::string& name) {
    const catalogue::Project* project = model.projectByName(name);
    if (!project) throw Error("no project " + name);
    generator::FileSink sink;
    generator::releaseSkeletonForProject(runDir, name, sink);
    generator::GenerationRequest request;
    request.projectId = project->id;
    for (const auto* table : model.tablesOf(project->id)) request.tableIds.push_back(table->id);
    request.kinds = {generator::PageKindId::Add, generator::PageKindId::Modify, generator::PageKindId::Delete,
                     generator::PageKindId::List, generator::PageKindId::Display};
    RecordedMessages messages;
    const auto result = generator::generatePages(model, runDir, request, sink, messages);
    for (const auto& message : messages.texts()) std::cout << name << ": " << message << "\n";
    return static_cast<int>(result.failures);
}

constexpr const char* kMarker = ".pages-design-site";

// A fresh run folder; refuses to empty a folder it did not make.
void freshRunFolder(const std::filesystem::path& runDir) {
    namespace fs = std::filesystem;
    if (fs::exists(runDir) && !fs::is_empty(runDir)) {
        if (!fs::exists(runDir / kMarker)) throw Error(runDir.string() + " is not empty and was not made by this tool");
        fs::remove_all(runDir);
    }
    fs::create_directories(runDir);
    std::ofstream(runDir / kMarker) << "written by pages_design_site\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: pages_design_site <run folder>\n";
        return 2;
    }
    try {
        const std::filesystem::path runDir = std::filesystem::absolute(argv[1]);
        freshRunFolder(runDir);
        auto catalogue = catalogue::Catalogue::openInRunFolder(runDir);
        addWidgetProject(catalogue);
        const auto model = catalogue::Snapshot::load(catalogue);
        const int failures = generateSite(model, runDir, "记账") + generateSite(model, runDir, "组件");
        return failures == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "pages_design_site: " << e.what() << "\n";
        return 2;
    }
}
