#pragma once

#include <memory>
#include <string>

#include "jetread/serve.h"

// A Jet file opened read-only through libmdb. Throws SourceError when it
// cannot be opened or its table list cannot be read.
std::unique_ptr<Source> openMdbSource(const std::string& path);
