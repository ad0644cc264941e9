// The converter's command line: any arguments are either taken or refused with a reason,
// never both, and an option is never taken for a file name.
//
// Input: arguments separated by NUL bytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/fuzz_input.h"
#include "tools/lxedl/lxedl_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    vemo::lxedl::Options options;
    std::string error;
    const bool ok = vemo::lxedl::parseOptions(args, options, error);
    FUZZ_CHECK(ok == error.empty());
    if (ok && !options.help) {
        FUZZ_CHECK(!options.input.empty() && !options.output.empty());
        // A name that looks like an option is a file name only after "--".
        const bool ended = std::find(args.begin(), args.end(), "--") != args.end();
        for (const std::string* name : {&options.input, &options.output}) {
            if (name->size() > 1 && (*name)[0] == '-')
                FUZZ_CHECK(ended);
        }
    }
    return 0;
}
