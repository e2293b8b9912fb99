#pragma once

#include "assets/MD2ModelData.h"

#include <memory>
#include <string>

// The parsed MD2 files, one per file name, shared by every figure drawn from
// it: a zombie or a shot made during play reuses what the first one read.
// The file is opened on every call, so one that is gone or unreadable fails
// as it did the first time, and one that has changed since is read afresh.
class MD2ModelCache {
public:
    // Throws std::runtime_error as MD2ModelData does; a failure is not kept.
    static std::shared_ptr<const MD2ModelData> load(const std::string& fileName);
};
