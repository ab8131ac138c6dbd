// Tabulon: with no command it opens the designer window; with a command it works on the
// catalogue and site folders of the run folder from the command line.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

#include "cli/commands.h"
#include "cli/printed_messages.h"
#include "cli/run_folder.h"
#include "cli/prepare_preview_command.h"
#include "cli/serve_command.h"
#include "cli/window_entry.h"
#include "preview/server/wine.h"

static int runCommand(int argc, char** argv) {
    using namespace tabulon::cli;
    CLI::App app{"Tabulon: designs database-backed management sites and generates them as classic ASP."};
    app.set_help_all_flag("--help-all");
    app.set_version_flag("--version", "tabulon " TABULON_VERSION);
    std::filesystem::path runDir = defaultRunFolder(currentPlaces(argv[0], TABULON_INSTALLED_BINDIR));
    app.add_option("--run-dir", runDir,
                   "Folder holding the catalogue and the site folders (default: the program's folder; "
                   "for an installed program ~/.local/share/tabulon)");

    auto* projects = app.add_subcommand("projects", "List the projects, newest first");
    std::string project;
    auto* tables = app.add_subcommand("tables", "List the tables of a project");
    tables->add_option("PROJECT", project, "Project name or id")->required();

    GenerateOptions generateOptions;
    auto* generateCommand = app.add_subcommand("generate", "Generate the per-table pages of a project");
    generateCommand->add_option("PROJECT", generateOptions.project, "Project name or id")->required();
    generateCommand->add_option("--tables", generateOptions.tables, "all, or table ids separated by commas")
        ->capture_default_str();
    generateCommand->add_option("--kinds", generateOptions.kinds, "Page kinds: add,modify,delete,list,display")
        ->capture_default_str();

    WriteOptions write;
    const auto addDryRun = [&](CLI::App* command) {
        command->add_flag("--dry-run", write.dryRun, "List the files that would be written; touch nothing");
    };
    addDryRun(generateCommand);
    auto projectCommand = [&](const char* name, const char* description) {
        auto* command = app.add_subcommand(name, description);
        command->add_option("PROJECT", project, "Project name or id")->required();
        addDryRun(command);
        return command;
    };
    auto* skeletonCommand = projectCommand("skeleton", "Release the site skeleton into the site folder (step 1)");
    auto* databaseCommand =
        projectCommand("database", "Create the site's Access database data/data.mdb afresh, keeping its rows (step 2)");
    bool emptyDatabase = false;
    databaseCommand->add_flag("--empty", emptyDatabase, "Do not carry the rows of the existing file over");
    bool fromPreview = false;
    databaseCommand
        ->add_flag("--from-preview", fromPreview,
                   "Write the rows of the preview's working copy into data/data.mdb, keeping a dated copy first")
        ->excludes("--empty");
    auto* loginCommand =
        projectCommand("login", "Write index.asp, top.asp, menu.asp and add the default account (step 4)");
    auto* buildCommand = projectCommand("build", "Steps 1 to 4: skeleton, database, every page of every table, login");
    for (auto* command : {generateCommand, buildCommand})
        command->add_option("--threads", write.threads, "Threads to build with; 0: two per core")
            ->check(CLI::Range(0u, 256u))
            ->capture_default_str();
    auto* checkCommand = app.add_subcommand("check", "Report every table or field name the generated site cannot use");
    checkCommand->add_option("PROJECT", project, "Project name or id")->required();

    ImportCommandOptions importOptions;
    auto* importCommand = app.add_subcommand(
        "import", "Make a project of an Access database (.mdb, .accdb) or an older catalogue, rows included");
    importCommand->add_option("FILE", importOptions.file, "The Access file")->required();
    importCommand->add_option("--project", importOptions.project, "Project name (default: the file's name)");
    importCommand->add_flag("--replace", importOptions.replace, "Replace an existing project of that name");
    importCommand->add_flag("--replace-templates", importOptions.replaceTemplates,
                            "Older catalogue: its template rows replace ours instead of being added");
    addDryRun(importCommand);

    ServeOptions serveOptions;
    auto* serveCommand = app.add_subcommand(
        "serve", "Run the project's site on 127.0.0.1 (building it first if it is missing) until Ctrl+C");
    serveCommand->add_option("PROJECT", serveOptions.project, "Project name or id")->required();
    serveCommand->add_option("--port", serveOptions.port, "Port to listen on; 0 chooses a free one")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    serveCommand->add_flag("--no-browser", serveOptions.noBrowser, "Do not open the desktop browser");
    serveCommand->add_flag("--fresh", serveOptions.fresh, "Make the working copy afresh from the site's data/data.mdb");
    serveCommand->add_flag("--save", serveOptions.save,
                           "On stop, write the working copy's rows back into data/data.mdb (a dated copy is kept)");
    serveCommand
        ->add_option("--page-timeout", serveOptions.pageSeconds, "Seconds a page may run before the host is restarted")
        ->check(CLI::Range(0.1, 3600.0))
        ->capture_default_str();
    serveCommand
        ->add_option("--locale", serveOptions.locale,
                     "Regional settings the pages run under: zh-CN (default), en-US or de-DE")
        ->check(CLI::IsMember({tabulon::preview::kPreviewLocales[0], tabulon::preview::kPreviewLocales[1],
                               tabulon::preview::kPreviewLocales[2]}))
        ->capture_default_str();
    // For tests only: the host answers GET /__tabulon/session/<name>.
    serveCommand->add_flag("--test-hooks", serveOptions.testHooks)->group("");

    auto* prepareCommand = app.add_subcommand(
        "prepare-preview", "Make the preview's Wine environment now (the window does this when it opens)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kSuccess : kUsageError;
    }

    // An installed program's data folder is made on first use.
    std::error_code folderError;
    if (!write.dryRun && !std::filesystem::exists(runDir, folderError))
        std::filesystem::create_directories(runDir, folderError);

    PrintedMessages messages;
    if (*projects) return listProjects(runDir, messages);
    if (*tables) return listTables(runDir, project, messages);
    if (*generateCommand) return generate(runDir, generateOptions, messages, write);
    if (*skeletonCommand) return skeleton(runDir, project, messages, write);
    if (*databaseCommand && fromPreview) return databaseFromPreview(runDir, project, messages);
    if (*databaseCommand) return database(runDir, project, messages, emptyDatabase, write);
    if (*loginCommand) return login(runDir, project, messages, write);
    if (*buildCommand) return build(runDir, project, messages, write);
    if (*checkCommand) return check(runDir, project, messages);
    if (*prepareCommand) return preparePreview(messages);
    if (*importCommand) return importDatabase(runDir, importOptions, messages, write);
    if (*serveCommand)
        return serve(runDir, currentPlaces(argv[0], TABULON_INSTALLED_BINDIR).programFolder, serveOptions, messages);
    return openWindow(runDir, argc, argv);
}

int main(int argc, char** argv) {
    // Failures of the design or the disk were reported by the commands; whatever arrives
    // here is a fault of the program, said as such.
    try {
        return runCommand(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << tabulon::cli::defectLine(e.what()) << std::endl;
    } catch (...) {
        std::cerr << tabulon::cli::defectLine("unknown exception") << std::endl;
    }
    return tabulon::cli::kFailure;
}
