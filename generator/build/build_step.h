#pragma once
// One step of a site build (skeleton, database, pages, login). Every step reads the same
// typed model, emits whole files into one sink and reports through Messages; the site
// build (site_build.h) runs any of them in order. Each step states what it makes for the
// steps after it and what it needs of the steps before it; from that alone the build
// knows which steps may overlap and which must not run after a failure.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "catalogue/snapshot.h"
#include "generator/build/build_context.h"
#include "generator/site_sink.h"

namespace tabulon::generator {

// Called as a step advances with (units done, units in all).
using Progress = std::function<void(std::size_t, std::size_t)>;

// What one step leaves for later steps of the same build.
enum class Product : std::uint8_t {
    // The site folder with its skeleton: every other file goes into it.
    SiteFolder = 1u << 0,
    // The site database (data/data.mdb), handed on whole through the BuildContext.
    SiteDatabase = 1u << 1,
};

// A set of products.
class Products {
public:
    constexpr Products() = default;
    constexpr Products(Product one) : bits_(static_cast<std::uint8_t>(one)) {}  // NOLINT: a set of one
    constexpr Products operator|(Products other) const { return fromBits(bits_ | other.bits_); }
    constexpr Products operator&(Products other) const { return fromBits(bits_ & other.bits_); }
    constexpr bool has(Product one) const { return (bits_ & static_cast<std::uint8_t>(one)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }

private:
    static constexpr Products fromBits(unsigned bits) {
        Products set;
        set.bits_ = static_cast<std::uint8_t>(bits);
        return set;
    }
    std::uint8_t bits_ = 0;
};

constexpr Products operator|(Product a, Product b) { return Products(a) | b; }

// What a step takes from the steps before it and leaves for the steps after it. A step
// starts once every earlier step that makes something it needs has finished, on another
// thread if need be, and does not run at all when one of them failed to make it.
struct StepUse {
    Products needs;
    Products makes;
};

struct StepInput {
    const catalogue::Snapshot& model;
    const catalogue::Project& project;
    const std::filesystem::path& runDir;  // the site folder is `<runDir>/<项目名称>`
    // What the steps of this build hand each other; none for a step run alone.
    BuildContext* context = nullptr;
    // What later steps of this build need of what this step makes: a product in here goes
    // into `context` instead of onto the disk.
    Products neededLater;
    // Threads the step may use for its own work; 0 takes two per core.
    unsigned threads = 0;
};

struct StepResult {
    std::vector<std::filesystem::path> written;  // in the order the step defines
    std::size_t problems = 0;                    // each already reported by a message
    // What the step makes (BuildStep::use) is not there: the steps that need it do not run.
    bool madeNothing = false;
};

class BuildStep {
public:
    virtual ~BuildStep() = default;
    // The step's caption in the window: "①释放原始文件".
    virtual std::string_view title() const = 0;
    // What the step says when the chosen project does not exist (nothing is written).
    virtual std::string missingProjectMessage(catalogue::Id projectId) const = 0;
    // Emits the step's files into `sink`. Problems of the design or of the disk are shown
    // through `messages` and counted; a programming error propagates as an exception.
    virtual StepResult run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress& progress) = 0;
    // What the step needs of earlier steps and makes for later ones.
    virtual StepUse use() const = 0;
};

}  // namespace tabulon::generator
