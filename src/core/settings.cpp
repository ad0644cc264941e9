#include "core/settings.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "core/file_io.h"
#include "core/properties.h"
#include "core/ravlin.h"
#include "core/utils.h"

namespace vemo::core {
namespace {

// The value of a key, or nothing when the file does not set it.
std::optional<std::string> prop(const char* key) {
    auto it = Ravlin::props.find(key);
    if (it == Ravlin::props.end())
        return std::nullopt;
    return it->second;
}

// Cuts a UTF-8 text to its first n characters.
std::string firstChars(const std::string& text, std::size_t n) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80) {
            if (chars == n)
                return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

std::string label(const char* name) {
    std::string l(name);
    l.resize(17, ' ');
    return l + "= ";
}

std::string raw(const std::optional<std::string>& text) {
    return text ? *text : "null";
}

}  // namespace

void applyProps() {
    if (auto v = prop("COMPort"))
        Ravlin::comport1 = *v;
    if (auto v = prop("UserNote"))
        Ravlin::note = firstChars(*v, 12);
    if (auto v = prop("Verbose")) {
        Ravlin::verbo = *v;
        Ravlin::verbose = equalsIgnoreCase(*v, "YES");
    }
    if (auto v = prop("UseClipboard"))
        Ravlin::UseClipboard = *v;
    if (auto v = prop("StopOnExit"))
        Ravlin::StopOnExit = *v;

    Ravlin::PRString = "00:00:05:00";
    if (auto v = prop("VCRType"))
        Ravlin::VCRType = *v;
    Ravlin::lx1 = equalsIgnoreCase(Ravlin::VCRType, "LX1");
    Ravlin::recon = equalsIgnoreCase(Ravlin::VCRType, "RECON");
    if (Ravlin::lx1) {
        if (auto v = prop("Finalize")) {
            Ravlin::finalizestring = *v;
            Ravlin::finalize = !equalsIgnoreCase(*v, "NO");
        }
        if (auto v = prop("Initialize")) {
            Ravlin::initializestring = *v;
            Ravlin::initialize = !equalsIgnoreCase(*v, "NO");
        }
        if (auto v = prop("RECMode")) {
            Ravlin::automodestring = *v;
            Ravlin::onetitle = equalsIgnoreCase(*v, "PAUSE");
        }
        if (auto v = prop("AutoChapter")) {
            Ravlin::autochapstring = *v;
            Ravlin::autochapter = equalsIgnoreCase(*v, "YES");
        }
    }
    if (!Ravlin::lx1 && !Ravlin::recon)
        Ravlin::lanc = equalsIgnoreCase(Ravlin::VCRType, "LANC");

    // Optional keys of this console: the auxiliary controller port and the server address.
    if (auto v = prop("MCSPort"); v && !v->empty()) {
        Ravlin::mcs = true;
        Ravlin::comport2 = *v;
    }
    if (auto v = prop("ServerAddress"))
        Ravlin::serveraddress = *v;

    if (Ravlin::UseClipboard)
        Ravlin::useclipboard = equalsIgnoreCase(*Ravlin::UseClipboard, "YES");
    if (Ravlin::StopOnExit) {
        // "NO" turns stopping off; "YES" (or any other word) keeps it on.
        if (equalsIgnoreCase(*Ravlin::StopOnExit, "YES"))
            Ravlin::stoponexit = true;
        if (equalsIgnoreCase(*Ravlin::StopOnExit, "NO"))
            Ravlin::stoponexit = false;
    }
}

PropsResult GetProps() {
    std::error_code ec;
    if (!std::filesystem::exists(Ravlin::propsfilename, ec)) {
        Utils::OutLine("No Settings File found!");
        return PropsResult::missing;
    }
    std::string bytes;
    if (readWholeFile(Ravlin::propsfilename, bytes)) {
        Utils::OutLine("Settings File Problem");
        return PropsResult::problem;
    }
    PropertiesTable table = parseProperties(bytes);
    for (const auto& problem : table.problems)
        Utils::OutLine(problem);
    Ravlin::props = std::move(table.entries);
    applyProps();
    return PropsResult::ok;
}

void showprops() {
    Utils::OutLine(" ");
    Utils::OutLine(label("COM Port") + Ravlin::comport1);
    Utils::OutLine(label("VCR Type") + Ravlin::VCRType);
    Utils::OutLine(label("User Note") + Ravlin::note);
    Utils::OutLine(label("Use Clipboard") + raw(Ravlin::UseClipboard));
    Utils::OutLine(label("Stop On Exit") + raw(Ravlin::StopOnExit));
    Utils::OutLine(label("Verbose") + raw(Ravlin::verbo));
    if (Ravlin::recon) {
        Utils::OutLine(label("Compression") + std::to_string(Ravlin::compression));
        Utils::OutLine(label("VideoMode") + Ravlin::VideoMode);
        Utils::OutLine(label("VideoType") + Ravlin::VideoType);
        Utils::OutLine(label("LoopRecMode") + Ravlin::LoopRecMode);
        Utils::OutLine(label("LoopPlayMode") + Ravlin::LoopPlayMode);
    }
    if (Ravlin::lx1) {
        Utils::OutLine(label("Initialize Disk") + Ravlin::initializestring);
        Utils::OutLine(label("Finalize Disk") + Ravlin::finalizestring);
        Utils::OutLine(label("Record Mode") + Ravlin::automodestring);
        Utils::OutLine(label("AutoChapter") + Ravlin::autochapstring);
    }
    if (Ravlin::mcs)
        Utils::OutLine(label("MCS Port") + Ravlin::comport2);
}

}  // namespace vemo::core
