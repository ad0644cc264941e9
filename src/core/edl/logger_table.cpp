#include "core/edl/logger_table.h"

namespace vemo::core {
namespace {
std::string twoDigits(int n) {
    return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}
}  // namespace

LoggerTable::LoggerTable() {
    fill();
}

void LoggerTable::fill() {
    for (int i = 0; i < NumEntries; ++i) {
        int number = i + 1;
        EdNumArray[i] = std::to_string(number / 100) + twoDigits(number % 100);
        // Entry 100 wraps to "Name00": the name carries only two digits.
        ClipNameArray[i] = "Name" + twoDigits(number % 100);
        SrcInArray[i] = std::string(TCString);
        SrcOutArray[i] = std::string(TCString);
    }
}

}  // namespace vemo::core
