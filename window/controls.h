#pragma once
// Every control of the designer window, built and laid out in one place. Each widget's
// object name is the control's own name (组合框1, 按钮9, …); the panels get the controls
// whose behaviour they own.
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QCheckBox>
#include <QSize>
#include <QSplitter>
#include <QTabWidget>

#include "designer/field_editor.h"
#include "designer/join_strip.h"
#include "designer/project_editor.h"
#include "designer/table_editor.h"
#include "designer/template_editor.h"
#include "window/generation_panel.h"

namespace tabulon::window {

// Pages of the tab control 选择夹1.
enum TabPage { kProjectPage = 0, kTablePage = 1, kGenerationPage = 2 };

struct WindowControls {
    designer::ProjectControls project;
    designer::TableControls table;
    designer::FieldControls field;
    designer::JoinControls join;
    designer::TemplateControls templates;
    GenerationControls generation;
    QTabWidget* tabs;          // 选择夹1
    QLabel* tutorialLink;      // 标签20 "软件教程"
    QPushButton* joinQuery;    // 按钮17 "联合查询": no action
    QSplitter* columns;        // left column | field list and form | template editor
    QCheckBox* showLineEnds;   // shows line ends and tabs in the template text
    QPushButton* previewSite;  // 按钮18 "⑤预览网站"
};

// Builds the controls as the central widget of `window`: the project and table column on
// the left, the field list, join strip and field form in the centre, the template editor on
// the right, each column resizable.
WindowControls buildControls(QMainWindow* window);

// The size of a fresh window: wide enough to show the template editor beside the field
// form, within the screen's free area.
QSize defaultWindowSize(const QWidget* window);

}  // namespace tabulon::window
