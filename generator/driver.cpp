#include "generator/driver.h"

#include "base/error.h"
#include "base/file_output.h"
#include "base/gbk.h"
#include "generator/check/design_check.h"
#include "generator/naming/naming.h"
#include "generator/page_encoding.h"

namespace tabulon::generator {
namespace fs = std::filesystem;
namespace {

struct Run {
    const catalogue::Snapshot& model;
    const catalogue::Project& project;
    const fs::path manageFolder;
    const GenerationRequest& request;
    PageSink& sink;
    Messages& messages;
    GenerationResult result;

    void fail(std::string text) {
        messages.show(text);
        ++result.failures;
    }

    void generate(const catalogue::Table& table, const PageKind& kind) {
        const fs::path path = manageFolder / (pageBaseName(table) + std::string(kind.suffix));
        const std::string fileName = "manage/" + path.filename().string();
        const auto rows = model.templateRows(kind.templateKind);
        if (rows.size() < kind.templateRowsUsed)
            return fail("模板类型 " + std::string(kind.templateKind) + " 只有 " + std::to_string(rows.size()) +
                        " 行，生成页面需要 " + std::to_string(kind.templateRowsUsed) + " 行，" + fileName + " 未生成。");

        const PageInput input{model, table, model.fieldsOf(table.id), rows};
        const std::string text = pageGenerator(kind.id).build(input, messages);
        auto encoded = gbk::encode(text);
        if (!encoded)
            return fail(locateCharacter(model, project, table, kind.templateKind, encoded.failure->character) +
                        " 中的字符“" + encoded.failure->character + "”无法用 GBK 编码，" + fileName + " 未生成。");
        try {
            sink.write(path, encoded.bytes);
        } catch (const Error& e) {
            return fail(e.what());
        }
        result.written.push_back(path);
        if (request.singleTableMode) messages.show(kind.doneMessage);
    }
};

}  // namespace

fs::path pagePath(const fs::path& siteFolder, const catalogue::Table& table, const PageKind& kind) {
    return siteFolder / "manage" / (pageBaseName(table) + std::string(kind.suffix));
}

GenerationResult generatePages(const catalogue::Snapshot& model, const fs::path& runDir,
                               const GenerationRequest& request, PageSink& sink, Messages& messages,
                               const Progress& progress) {
    const catalogue::Project* project = model.project(request.projectId);
    if (!project) {
        messages.show("项目 " + std::to_string(request.projectId) + " 不存在，未生成任何页面。");
        return {{}, 1};
    }
    fs::path manageFolder;
    try {
        manageFolder = siteFolder(runDir, project->name) / "manage";
        if (!request.tableIds.empty() && !request.kinds.empty()) sink.ensureFolder(manageFolder);
    } catch (const Error& e) {
        messages.show(e.what());
        return {{}, 1};
    }

    Run run{model, *project, manageFolder, request, sink, messages, {}};
    std::size_t done = 0;
    for (const catalogue::Id tableId : request.tableIds) {
        const catalogue::Table* table = model.table(tableId);
        if (!table || table->projectId != project->id) {
            run.fail(tableId < 0 ? std::string("请先选择一个表。")
                                 : "项目 " + project->name + " 中没有编号为 " + std::to_string(tableId) + " 的表。");
        } else if (const auto problems = checkTable(model, *table); !problems.empty()) {
            // A page with such a name would not compile or its SQL would not run: none is written.
            for (const auto& problem : problems) run.fail(problem.text + "，该表的页面未生成。");
        } else {
            for (const auto& kind : pageKinds())
                for (const PageKindId chosen : request.kinds)
                    if (chosen == kind.id) run.generate(*table, kind);
        }
        if (progress) progress(++done, request.tableIds.size());
    }
    messages.show("生成完毕");
    return std::move(run.result);
}

}  // namespace tabulon::generator
