#pragma once
// What the helper programs share of command-line handling: a writable argv for getopt_long
// and the texts of its two mistakes.

#include <getopt.h>

#include <string>
#include <vector>

#include "vemo_version.h"

namespace vemo::tools {

// A copy of the arguments that getopt_long may permute, with the program name first.
class ArgVector {
  public:
    ArgVector(const char* program, const std::vector<std::string>& args) {
        storage_.reserve(args.size() + 1);
        storage_.emplace_back(program);
        storage_.insert(storage_.end(), args.begin(), args.end());
        for (auto& s : storage_)
            pointers_.push_back(s.data());
        pointers_.push_back(nullptr);
        ::optind = 0;  // a full restart of getopt's scan, also when parsed twice
        ::opterr = 0;  // the mistakes are worded by the program
    }
    int argc() const { return static_cast<int>(storage_.size()); }
    char** argv() { return pointers_.data(); }
    // The arguments left after the options, in order.
    std::vector<std::string> operands() const {
        std::vector<std::string> rest;
        for (int i = ::optind; i < argc(); ++i)
            rest.emplace_back(pointers_[static_cast<std::size_t>(i)]);
        return rest;
    }
    // The two file names left after the options; false with the reason otherwise (needed:
    // how the usage names them, "INPUT and OUTPUT").
    bool twoFiles(std::string& first, std::string& second, const char* needed,
                  std::string& error) const {
        std::vector<std::string> files = operands();
        if (files.size() != 2) {
            error = files.size() < 2 ? std::string(needed) + " are needed" : "too many arguments";
            return false;
        }
        if (files[0].empty() || files[1].empty()) {
            error = "an empty file name";
            return false;
        }
        first = files[0];
        second = files[1];
        return true;
    }
    // Why getopt_long returned '?' or ':' for the argument it stopped at.
    std::string mistake(int result) const {
        std::string arg = ::optind > 0 && ::optind <= argc()
                              ? pointers_[static_cast<std::size_t>(::optind - 1)]
                              : "";
        if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos)
            arg.resize(eq);
        if (result == ':')
            return arg + " needs a value";
        if (::optopt != 0 && arg.rfind("--", 0) == 0)
            return arg + " takes no value";
        return "unknown option '" + arg + "'";
    }

  private:
    std::vector<std::string> storage_;
    std::vector<char*> pointers_;
};

inline std::string versionText(const char* program) {
    return std::string(program) + " " + VEMO_VERSION + "\n";
}

}  // namespace vemo::tools
