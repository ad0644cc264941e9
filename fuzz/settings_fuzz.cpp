// The settings reader on arbitrary bytes: parse, then apply to the globals and echo.
#include <cstdint>
#include <string>

#include "core/properties.h"
#include "core/ravlin.h"
#include "core/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vemo::core;
    std::string text(reinterpret_cast<const char*>(data), size);
    Ravlin::resetGlobals();
    Ravlin::props = parseProperties(text).entries;
    applyProps();
    return 0;
}
