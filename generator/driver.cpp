#include "generator/driver.h"

#include "base/error.h"
#include "generator/build/ordered_parallel.h"
#include "generator/check/design_rules.h"
#include "generator/naming/naming.h"
#include "generator/page_encoding.h"
#include "generator/text/template_anchor.h"

namespace tabulon::generator {
namespace fs = std::filesystem;
namespace {

// What building one page, or refusing a table, left for the calling thread to report.
struct PageOutcome {
    RecordedMessages messages;  // the generator's own, in the order it met them
    std::vector<std::string> failures;
    fs::path written;
    const PageKind* kind = nullptr;
};

class PagesRun {
public:
    PagesRun(const StepInput& input, const GenerationRequest& request, fs::path manageFolder)
        : model_(input.model),
          project_(input.project),
          request_(request),
          manageFolder_(std::move(manageFolder)),
          rules_(input.model, input.project.id) {}

    // Runs on any thread: checks the table, then builds its chosen pages in order. A table
    // that is not in the project, or whose names the site cannot use, gets no page.
    std::vector<PageOutcome> buildTable(catalogue::Id tableId, SiteSink& sink) const {
        std::vector<PageOutcome> outcomes;
        const catalogue::Table* table = model_.table(tableId);
        if (!table || table->projectId != project_.id) {
            outcomes.emplace_back().failures.push_back(missingTable(tableId));
            return outcomes;
        }
        // A page with such a name would not compile or its SQL would not run: none is written.
        if (const auto problems = rules_.tableRefusals(*table); !problems.empty()) {
            auto& refused = outcomes.emplace_back();
            for (const auto& problem : problems) refused.failures.push_back(problem.text + "，该表的页面未生成。");
            return outcomes;
        }
        for (const auto& kind : pageKinds())
            for (const PageKindId chosen : request_.kinds)
                if (chosen == kind.id) outcomes.push_back(build(*table, kind, sink));
        return outcomes;
    }

private:
    PageOutcome build(const catalogue::Table& table, const PageKind& kind, SiteSink& sink) const {
        PageOutcome outcome;
        outcome.kind = &kind;
        const fs::path path = manageFolder_ / (pageBaseName(table) + std::string(kind.suffix));
        const std::string fileName = "manage/" + path.filename().string();
        const auto rows = model_.templateRows(kind.templateKind);
        if (rows.size() < kind.templateRowsUsed) {
            outcome.failures.push_back("模板类型 " + std::string(kind.templateKind) + " 只有 " +
                                       std::to_string(rows.size()) + " 行，生成页面需要 " +
                                       std::to_string(kind.templateRowsUsed) + " 行，" + fileName + " 未生成。");
            return outcome;
        }
        const auto fields = pageFields(table);
        const PageInput input{model_, table, fields, rows};
        std::string text;
        try {
            text = pageGenerator(kind.id).build(input, outcome.messages);
        } catch (const MissingAnchor& e) {
            outcome.failures.push_back(missingAnchorText(model_, e.anchor()) + "，" + fileName + " 未生成。");
            return outcome;
        }
        try {
            sink.writeText(path, text, [&](std::string_view character) {
                return locateCharacter(model_, project_, table, kind.templateKind, character) + " 中的字符“" +
                       std::string(character) + "”无法用 GBK 编码，" + fileName + " 未生成。";
            });
            outcome.written = path;
        } catch (const Error& e) {
            outcome.failures.push_back(e.what());
        }
        return outcome;
    }

    // The fields a page shows, in page order: a type kept only in the database (二进制) has
    // no widget and no value a form could write.
    std::vector<const catalogue::Field*> pageFields(const catalogue::Table& table) const {
        std::vector<const catalogue::Field*> fields;
        for (const auto* field : model_.fieldsOf(table.id))
            if (catalogue::onPages(field->dataType)) fields.push_back(field);
        return fields;
    }

    std::string missingTable(catalogue::Id tableId) const {
        return tableId < 0 ? std::string("请先选择一个表。")
                           : "项目 " + project_.name + " 中没有编号为 " + std::to_string(tableId) + " 的表。";
    }

    const catalogue::Snapshot& model_;
    const catalogue::Project& project_;
    const GenerationRequest& request_;
    const fs::path manageFolder_;
    const ProjectRules rules_;
};

GenerationResult writePages(const StepInput& input, const GenerationRequest& request, SiteSink& sink,
                            Messages& messages, const Progress& progress) {
    fs::path manageFolder;
    try {
        manageFolder = siteFolder(input.runDir, input.project.name) / "manage";
        if (!request.tableIds.empty() && !request.kinds.empty()) sink.makeFolders(manageFolder);
    } catch (const Error& e) {
        messages.show(e.what());
        return {{}, 1};
    }

    GenerationResult result;
    const PagesRun run(input, request, manageFolder);
    const auto& tables = request.tableIds;
    runInOrder<std::vector<PageOutcome>>(
        tables.size(), workerCount(request.threads), [&](std::size_t i) { return run.buildTable(tables[i], sink); },
        [&](std::size_t i, std::vector<PageOutcome> outcomes) {
            for (auto& outcome : outcomes) {
                for (const auto& text : outcome.messages.texts()) messages.show(text);
                for (const auto& failure : outcome.failures) {
                    messages.show(failure);
                    ++result.failures;
                }
                if (!outcome.written.empty()) {
                    result.written.push_back(std::move(outcome.written));
                    if (request.singleTableMode) messages.show(outcome.kind->doneMessage);
                }
            }
            if (progress) progress(i + 1, tables.size());
        });
    messages.show("生成完毕");
    return result;
}

std::string missingProject(catalogue::Id projectId) {
    return "项目 " + std::to_string(projectId) + " 不存在，未生成任何页面。";
}

}  // namespace

fs::path pagePath(const fs::path& siteFolder, const catalogue::Table& table, const PageKind& kind) {
    return siteFolder / "manage" / (pageBaseName(table) + std::string(kind.suffix));
}

GenerationResult generatePages(const catalogue::Snapshot& model, const fs::path& runDir,
                               const GenerationRequest& request, SiteSink& sink, Messages& messages,
                               const Progress& progress) {
    const catalogue::Project* project = model.project(request.projectId);
    if (!project) {
        messages.show(missingProject(request.projectId));
        return {{}, 1};
    }
    return writePages({model, *project, runDir}, request, sink, messages, progress);
}

GenerationRequest PagesStep::everyPage(const catalogue::Snapshot& model, catalogue::Id projectId) {
    GenerationRequest request{projectId, {}, {}, false};
    for (const auto* table : model.tablesOf(projectId)) request.tableIds.push_back(table->id);
    for (const auto& kind : pageKinds()) request.kinds.push_back(kind.id);
    return request;
}

std::string PagesStep::missingProjectMessage(catalogue::Id projectId) const { return missingProject(projectId); }

StepResult PagesStep::run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress& progress) {
    GenerationRequest request = request_;
    request.projectId = input.project.id;
    request.threads = input.threads;
    auto pages = writePages(input, request, sink, messages, progress);
    return {std::move(pages.written), pages.failures, false};
}

}  // namespace tabulon::generator
