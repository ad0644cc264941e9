#pragma once

#include <QString>
#include <string>

namespace vemo::ui::logger {

// The logger's table holds 8-bit texts; the window shows and takes them as Latin-1.
inline QString toQt(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string fromQt(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace vemo::ui::logger
