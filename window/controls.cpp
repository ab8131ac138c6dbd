#include "window/controls.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStringList>
#include <QTextOption>
#include <QTreeWidget>

#include <array>
#include <utility>

#include "catalogue/records.h"

namespace tabulon::window {
namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

template <typename Widget, typename... Args>
Widget* named(const char* name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(qs(name));
    return widget;
}

QLabel* label(const char* name, const char* caption) { return named<QLabel>(name, qs(caption)); }
// Buttons may shrink to their caption: the style's usual 80-pixel minimum would make the
// rows of three short buttons wider than a small screen allows.
QPushButton* button(const char* name, const char* caption) {
    auto* widget = named<QPushButton>(name, qs(caption));
    widget->setMinimumWidth(widget->fontMetrics().horizontalAdvance(widget->text()) + 12);
    return widget;
}
QCheckBox* checkBox(const char* name, const char* caption) { return named<QCheckBox>(name, qs(caption)); }
QLineEdit* edit(const char* name) { return named<QLineEdit>(name); }
QGroupBox* group(const char* name) { return named<QGroupBox>(name); }

// A drop-down list that starts with `selected` chosen (-1: nothing).
template <std::size_t N>
QComboBox* combo(const char* name, const std::array<std::string_view, N>& items, int selected) {
    auto* box = named<QComboBox>(name);
    for (const auto item : items) box->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    box->setCurrentIndex(selected);
    return box;
}

QComboBox* combo(const char* name, int shortest = 4) {
    auto* box = named<QComboBox>(name);
    box->setMinimumContentsLength(shortest);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

// A group whose place in the layout stays reserved while it is hidden, so the form does
// not jump when the link and cascade groups come and go.
void keepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    for (QWidget* widget : widgets) {
        if (widget)
            layout->addWidget(widget);
        else
            layout->addStretch(1);
    }
    return layout;
}

QWidget* projectPage(WindowControls& c) {
    auto* page = new QWidget;
    auto* box = group("分组框3");
    c.project.name = edit("编辑框4");
    c.project.note = edit("编辑框3");
    c.generation.releaseSkeleton = button("按钮15", "①释放原始文件");
    c.generation.databaseFile = button("按钮10", "②生成数据库文件");
    c.project.add = button("按钮4", "添加");
    c.project.modify = button("按钮6", "修改");
    c.project.remove = button("按钮5", "删除");
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(row({label("标签3", "项目："), c.project.name}));
    auto* noteLabel = label("projectNoteLabel", "备注：");
    noteLabel->setBuddy(c.project.note);
    layout->addLayout(row({noteLabel, c.project.note}));
    layout->addWidget(c.generation.releaseSkeleton);
    layout->addWidget(c.generation.databaseFile);
    layout->addStretch(1);
    layout->addLayout(row({c.project.add, c.project.modify, c.project.remove}));
    (new QVBoxLayout(page))->addWidget(box);
    return page;
}

QWidget* tablePage(WindowControls& c) {
    auto* page = new QWidget;
    auto* box = group("分组框2");
    c.table.projectLabel = label("标签4", "");
    c.table.name = edit("编辑框1");
    c.table.description = edit("编辑框2");
    c.table.add = button("按钮3", "添加");
    c.table.modify = button("按钮1", "修改");
    c.table.remove = button("按钮2", "删除");
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(c.table.projectLabel);
    layout->addLayout(row({label("标签2", "表："), c.table.name}));
    auto* noteLabel = label("tableNoteLabel", "说明：");
    noteLabel->setBuddy(c.table.description);
    layout->addLayout(row({noteLabel, c.table.description}));
    layout->addStretch(1);
    layout->addLayout(row({c.table.add, c.table.modify, c.table.remove}));
    (new QVBoxLayout(page))->addWidget(box);
    return page;
}

QWidget* generationPage(WindowControls& c) {
    auto* page = new QWidget;
    auto& g = c.generation;
    g.allTables = checkBox("选择框1", "所有表");
    g.chosenTable = checkBox("选择框2", "选定表");
    g.addPage = checkBox("选择框3", "添加");
    g.modifyPage = checkBox("选择框4", "修改");
    g.deletePage = checkBox("选择框5", "删除");
    g.listPage = checkBox("选择框6", "列表");
    g.displayPage = checkBox("选择框7", "显示");
    g.pages = button("按钮11", "③生成执行代码");
    g.login = button("按钮16", "④生成登录代码");
    auto* layout = new QGridLayout(page);
    layout->addWidget(g.allTables, 0, 0);
    layout->addWidget(g.chosenTable, 0, 1);
    layout->addWidget(g.addPage, 1, 0);
    layout->addWidget(g.modifyPage, 1, 1);
    layout->addWidget(g.deletePage, 2, 0);
    layout->addWidget(g.listPage, 2, 1);
    layout->addWidget(g.displayPage, 3, 0);
    layout->addWidget(g.pages, 4, 0, 1, 2);
    layout->addWidget(g.login, 5, 0, 1, 2);
    c.previewSite = button("按钮18", "⑤预览网站");
    layout->addWidget(c.previewSite, 6, 0, 1, 2);
    layout->setRowStretch(7, 1);
    return page;
}

QWidget* leftColumn(WindowControls& c) {
    auto* box = group("分组框1");
    c.project.projects = combo("组合框1");
    c.project.tables = named<QListWidget>("列表框1");
    c.table.tables = c.project.tables;
    c.tabs = named<QTabWidget>("选择夹1");
    c.tabs->addTab(projectPage(c), qs("项目"));
    c.tabs->addTab(tablePage(c), qs("表"));
    c.tabs->addTab(generationPage(c), qs("生成"));
    c.tabs->setCurrentIndex(kProjectPage);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(c.project.projects);
    layout->addWidget(c.project.tables, 1);
    layout->addWidget(c.tabs);
    box->setMinimumWidth(170);
    return box;
}

QTreeWidget* fieldList() {
    auto* list = named<QTreeWidget>("超级列表框1");
    const std::pair<const char*, int> columns[] = {
        {"序号", 40},     {"字段名称", 60}, {"类型", 60},     {"说明", 128},    {"输入类型", 60}, {"关联表", 60},
        {"关联字段", 60}, {"联动表", 60},   {"联动字段", 60}, {"联动条件", 60}, {"联显字段", 60},
    };
    QStringList titles;
    for (const auto& column : columns) titles << qs(column.first);
    list->setColumnCount(static_cast<int>(titles.size()));
    list->setHeaderLabels(titles);
    for (int i = 0; i < static_cast<int>(titles.size()); ++i) list->setColumnWidth(i, columns[i].second);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->header()->setStretchLastSection(false);
    return list;
}

QGroupBox* joinStrip(WindowControls& c) {
    auto* box = group("分组框7");
    c.join.firstTable = combo("组合框7", 3);
    c.join.secondTable = combo("组合框8", 3);
    c.join.firstField = combo("组合框9", 3);
    c.join.secondField = combo("组合框10", 3);
    c.joinQuery = button("按钮17", "联合查询");
    box->setLayout(
        row({label("标签12", "select from"), c.join.firstTable, label("标签14", "left join"), c.join.secondTable,
             label("标签15", "On"), c.join.firstField, label("标签13", ""), c.join.secondField, nullptr, c.joinQuery}));
    return box;
}

QGroupBox* linkGroup(designer::FieldLinkControls& links) {
    auto* box = group("分组框6");
    links.linkTable = combo("组合框4", 3);
    links.linkField = combo("组合框5", 3);
    box->setLayout(row({label("标签10", "关联表："), links.linkTable, label("标签11", "关联字段："), links.linkField}));
    keepPlaceWhenHidden(box);
    return box;
}

QGroupBox* cascadeGroup(designer::FieldLinkControls& links) {
    auto* box = group("分组框8");
    links.cascadeTable = combo("组合框12");
    links.cascadeField = combo("组合框11");
    links.cascadeCondition = combo("组合框14");
    links.cascadeDisplay = combo("组合框13");
    box->setLayout(row({label("标签17", "联动表："), links.cascadeTable, label("标签16", "联动字段"),
                        links.cascadeField, label("标签19", "联动\r\n条件"), links.cascadeCondition,
                        label("标签18", "联显\r\n字段"), links.cascadeDisplay, nullptr}));
    keepPlaceWhenHidden(box);
    box->hide();  // shown by the cascade switch or by a field that has a cascade
    return box;
}

QGroupBox* fieldForm(WindowControls& c) {
    auto* box = group("分组框4");
    auto& f = c.field;
    f.title = label("标签1", "");
    f.name = edit("编辑框5");
    f.type = combo("组合框2", catalogue::kDataTypes, 1);  // "文本"
    f.description = edit("编辑框6");
    f.order = edit("编辑框7");
    f.order->setText(QStringLiteral("0"));
    f.order->setMaximumWidth(60);
    f.links.inputType = combo("组合框3", catalogue::kInputTypes, 0);  // "文本框"
    f.links.linkGroup = linkGroup(f.links);
    f.links.cascadeSwitch = checkBox("选择框8", "是否联动");
    f.links.cascadeGroup = cascadeGroup(f.links);
    f.add = button("按钮9", "添加");
    f.modify = button("按钮8", "修改");
    f.remove = button("按钮7", "删除");
    c.tutorialLink = label("标签20", "软件教程");
    c.tutorialLink->setCursor(Qt::PointingHandCursor);
    c.tutorialLink->setStyleSheet(QStringLiteral("color: #0645ad; text-decoration: underline;"));
    f.add->setMinimumWidth(60);

    auto* layout = new QVBoxLayout(box);
    layout->addWidget(f.title);
    layout->addLayout(row({label("标签5", "字段名称："), f.name, label("标签6", "字段类型："), f.type,
                           label("标签7", "字段说明："), f.description, label("标签8", "排序："), f.order}));
    layout->addLayout(
        row({label("标签9", "输入类型："), f.links.inputType, f.links.linkGroup, nullptr, c.tutorialLink, f.add}));
    layout->addLayout(row({f.links.cascadeSwitch, nullptr, f.modify, f.remove}));
    layout->addWidget(f.links.cascadeGroup);

    return box;
}

QWidget* centreColumn(WindowControls& c) {
    auto* column = new QWidget;
    c.field.list = fieldList();
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(c.field.list, 1);
    layout->addWidget(joinStrip(c));
    layout->addWidget(fieldForm(c));
    return column;
}

QWidget* templateColumn(WindowControls& c) {
    auto* box = group("分组框5");
    auto& t = c.templates;
    t.rows = named<QListWidget>("列表框2");
    t.rows->setTextElideMode(Qt::ElideRight);
    t.kind = combo("组合框6", catalogue::kTemplateKinds, 0);  // "添加"
    t.order = edit("编辑框9");
    t.content = named<designer::ExactTextEdit>("编辑框8");
    t.add = button("按钮12", "添加");
    t.modify = button("按钮13", "修改");
    t.remove = button("按钮14", "删除");
    t.unsaved = label("templateUnsaved", "● 未保存");
    t.unsaved->setToolTip(qs("模板内容有未保存的改动：按 Ctrl+S 或“修改”保存"));
    t.unsaved->setStyleSheet(QStringLiteral("color: #b00020;"));
    c.showLineEnds = new QCheckBox(qs("显示行尾"));
    c.showLineEnds->setObjectName(QStringLiteral("showLineEnds"));
    c.showLineEnds->setToolTip(qs("在模板内容中显示行尾和制表符"));
    t.content->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    t.content->setLineWrapMode(QPlainTextEdit::NoWrap);
    QObject::connect(c.showLineEnds, &QCheckBox::toggled, t.content, [content = t.content](bool on) {
        QTextOption option = content->document()->defaultTextOption();
        option.setFlags(on ? QTextOption::ShowLineAndParagraphSeparators | QTextOption::ShowTabsAndSpaces
                           : QTextOption::Flags());
        content->document()->setDefaultTextOption(option);
    });
    // The columns share the width by their stretch alone, whatever the texts inside.
    for (QWidget* widget : std::initializer_list<QWidget*>{t.rows, t.content})
        widget->setSizePolicy(QSizePolicy::Ignored, widget->sizePolicy().verticalPolicy());
    t.rows->setMinimumSize(70, 60);
    t.content->setMinimumSize(110, 80);
    t.kind->setMinimumContentsLength(3);
    t.kind->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (QPushButton* b : {t.add, t.modify, t.remove}) b->setMinimumWidth(30);

    // Rows on the left, the text on the right; the divider moves, and the text grows with
    // the window in both directions.
    auto* rowsPane = new QWidget;
    auto* rowsLayout = new QVBoxLayout(rowsPane);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->addWidget(t.rows, 1);
    rowsLayout->addLayout(row({t.add, t.modify, t.remove}));
    auto* textPane = new QWidget;
    auto* textLayout = new QVBoxLayout(textPane);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textLayout->addLayout(row({t.kind, t.order}));
    textLayout->addWidget(t.content, 1);
    textLayout->addLayout(row({c.showLineEnds, nullptr, t.unsaved}));
    auto* panes = new QSplitter(Qt::Horizontal);
    panes->setObjectName(QStringLiteral("templatePanes"));
    panes->addWidget(rowsPane);
    panes->addWidget(textPane);
    panes->setStretchFactor(0, 2);
    panes->setStretchFactor(1, 3);
    panes->setChildrenCollapsible(false);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(4, 4, 4, 4);
    boxLayout->addWidget(panes);
    return box;
}

// Tab goes through the window as it reads: the project and table column, the field list,
// the join strip and the field form, then the template editor.
void setTabOrder(WindowControls& c) {
    const QList<QWidget*> chain = {
        c.project.projects,
        c.project.tables,
        c.tabs,
        c.project.name,
        c.project.note,
        c.generation.releaseSkeleton,
        c.generation.databaseFile,
        c.project.add,
        c.project.modify,
        c.project.remove,
        c.table.name,
        c.table.description,
        c.table.add,
        c.table.modify,
        c.table.remove,
        c.generation.allTables,
        c.generation.chosenTable,
        c.generation.addPage,
        c.generation.modifyPage,
        c.generation.deletePage,
        c.generation.listPage,
        c.generation.displayPage,
        c.generation.pages,
        c.generation.login,
        c.previewSite,
        c.field.list,
        c.join.firstTable,
        c.join.secondTable,
        c.join.firstField,
        c.join.secondField,
        c.joinQuery,
        c.field.name,
        c.field.type,
        c.field.description,
        c.field.order,
        c.field.add,
        c.field.modify,
        c.field.remove,
        c.field.links.inputType,
        c.field.links.linkTable,
        c.field.links.linkField,
        c.field.links.cascadeSwitch,
        c.field.links.cascadeTable,
        c.field.links.cascadeField,
        c.field.links.cascadeCondition,
        c.field.links.cascadeDisplay,
        c.templates.rows,
        c.templates.add,
        c.templates.modify,
        c.templates.remove,
        c.templates.kind,
        c.templates.order,
        c.templates.content,
        c.showLineEnds,
    };
    for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace

WindowControls buildControls(QMainWindow* window) {
    WindowControls c{};
    auto* splitter = named<QSplitter>("columns", Qt::Horizontal);
    splitter->addWidget(leftColumn(c));
    splitter->addWidget(centreColumn(c));
    splitter->addWidget(templateColumn(c));
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 1);
    // The template editor may be folded away on a small screen; the other columns stay.
    splitter->setCollapsible(0, false);
    splitter->setCollapsible(1, false);
    splitter->setCollapsible(2, true);
    splitter->setSizes({200, 660, 340});
    c.columns = splitter;
    setTabOrder(c);
    // Below the columns' own minimum the window scrolls instead of cutting controls off.
    auto* scroller = named<QScrollArea>("columnsScroller");
    scroller->setWidget(splitter);
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    window->setCentralWidget(scroller);
    return c;
}

QSize defaultWindowSize(const QWidget* window) {
    QSize size(1220, 600);
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) size = size.boundedTo(screen->availableGeometry().size() - QSize(60, 80));
    return size;
}

}  // namespace tabulon::window
