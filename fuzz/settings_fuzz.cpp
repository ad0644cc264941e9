// The settings reader on arbitrary bytes: parse, then take the settings value from them.
#include <cstdint>
#include <string>

#include "core/properties.h"
#include "core/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vemo::core;
    std::string text(reinterpret_cast<const char*>(data), size);
    Settings settings = applyProps(parseProperties(text).entries);
    nameEdition(settings);
    (void)settings;
    return 0;
}
