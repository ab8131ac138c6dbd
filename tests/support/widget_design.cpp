#include "tests/support/widget_design.h"

namespace tabulon::testing {
namespace {

using catalogue::Id;

std::string text(Id id) { return std::to_string(id); }

}  // namespace

Id CatalogueDesign::table(Id project, const std::string& name) { return catalogue_.addTable({0, project, name, ""}); }

Id CatalogueDesign::field(Id table, const std::string& name, const std::string& type, const std::string& input,
                          const std::string& linkTable, const std::string& linkField) {
    catalogue::Field field;
    field.tableId = table;
    field.name = name;
    field.type = type;
    field.inputType = input;
    field.linkTable = linkTable;
    field.linkField = linkField;
    field.order = ++order_;
    return catalogue_.addField(field);
}

void CatalogueDesign::cascade(Id fieldId, Id table, Id listed, Id condition, Id display) {
    auto field = catalogue_.field(fieldId).value();
    field.cascadeTable = std::to_string(table);
    field.cascadeField = std::to_string(listed);
    field.cascadeCondition = std::to_string(condition);
    field.cascadeDisplay = std::to_string(display);
    catalogue_.updateField(field);
}

void CatalogueDesign::describe(Id fieldId, const std::string& description) {
    auto field = catalogue_.field(fieldId).value();
    field.description = description;
    catalogue_.updateField(field);
}

catalogue::Id addWidgetProject(catalogue::Catalogue& catalogue) {
    CatalogueDesign d(catalogue);
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
    // A drop-down fed by no table: the design rules refuse the table's pages.
    d.field(broken, "无表", "文本", "组合框", "0", text(kindName));

    d.table(project, "空表");

    const Id orders = d.table(project, "Orders");
    d.describe(d.field(orders, "item", "文本", "文本框"), "物品");

    const Id search = d.table(project, "搜索");
    d.field(search, "名称", "文本", "文本框");
    d.field(search, "名称备注", "备注", "文本域");
    d.field(search, "数量", "整型", "文本框");
    d.field(search, "日期", "日期时间", "时间框");
    return project;
}

}  // namespace tabulon::testing
