#pragma once
// The steps of a whole site build, in the one order they run: ①释放原始文件, ②生成数据库文件,
// ③生成执行代码 for every table and page kind, ④生成登录代码.
#include <memory>
#include <vector>

#include "catalogue/snapshot.h"
#include "generator/build/build_step.h"

namespace tabulon::generator {

std::vector<std::unique_ptr<BuildStep>> wholeSiteSteps(const catalogue::Snapshot& model, catalogue::Id projectId);

}  // namespace tabulon::generator
