#include "core/settings.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <utility>

#include "core/file_io.h"
#include "core/properties.h"
#include "core/utils.h"

namespace vemo::core {
namespace {

using Props = std::map<std::string, std::string>;

// The value of a key, or nothing when the file does not set it.
std::optional<std::string> value(const Props& props, const char* key) {
    auto it = props.find(key);
    if (it == props.end())
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

// The frame rate and the standard-EDL conversion options; an unknown rate leaves 30.
void applyEdlProps(const Props& props, Settings& s) {
    if (auto v = value(props, "FrameRate")) {
        s.FrameRateText = *v;
        if (auto rate = parseFrameRate(*v))
            s.frameRate = *rate;
    }
    if (auto v = value(props, "SkipAudioOnly")) {
        s.SkipAudioOnlyText = *v;
        s.skipAudioOnly = equalsIgnoreCase(*v, "YES");
    }
    if (auto v = value(props, "SkipZeroLength")) {
        s.SkipZeroLengthText = *v;
        s.skipZeroLength = equalsIgnoreCase(*v, "YES");
    }
    if (auto v = value(props, "ReelChanges")) {
        s.ReelChangesText = *v;
        s.reelChanges = equalsIgnoreCase(*v, "YES");
    }
}

void showEdlProps(const Settings& s) {
    if (s.FrameRateText) {
        std::string echo = *s.FrameRateText;
        if (!parseFrameRate(echo))
            echo += " (not a known rate: 30 used)";
        Utils::OutLine(label("Frame Rate") + echo);
    }
    if (s.SkipAudioOnlyText)
        Utils::OutLine(label("Skip Audio Only") + *s.SkipAudioOnlyText);
    if (s.SkipZeroLengthText)
        Utils::OutLine(label("Skip Zero Length") + *s.SkipZeroLengthText);
    if (s.ReelChangesText)
        Utils::OutLine(label("Reel Changes") + *s.ReelChangesText);
}

}  // namespace

Settings applyProps(const Props& props) {
    Settings s;
    auto prop = [&props](const char* key) { return value(props, key); };
    if (auto v = prop("COMPort"))
        s.comport1 = *v;
    if (auto v = prop("UserNote"))
        s.note = firstChars(*v, 12);
    if (auto v = prop("Verbose")) {
        s.verbo = *v;
        s.verbose = equalsIgnoreCase(*v, "YES");
    }
    if (auto v = prop("UseClipboard"))
        s.UseClipboard = *v;
    if (auto v = prop("StopOnExit"))
        s.StopOnExit = *v;

    s.PRString = "00:00:05:00";
    if (auto v = prop("VCRType"))
        s.VCRType = *v;
    s.lx1 = equalsIgnoreCase(s.VCRType, "LX1");
    s.recon = equalsIgnoreCase(s.VCRType, "RECON");
    if (s.lx1) {
        if (auto v = prop("Finalize")) {
            s.finalizestring = *v;
            s.finalize = !equalsIgnoreCase(*v, "NO");
        }
        if (auto v = prop("Initialize")) {
            s.initializestring = *v;
            s.initialize = !equalsIgnoreCase(*v, "NO");
        }
        if (auto v = prop("RECMode")) {
            s.automodestring = *v;
            s.onetitle = equalsIgnoreCase(*v, "PAUSE");
        }
        if (auto v = prop("AutoChapter")) {
            s.autochapstring = *v;
            s.autochapter = equalsIgnoreCase(*v, "YES");
        }
    }
    if (!s.lx1 && !s.recon)
        s.lanc = equalsIgnoreCase(s.VCRType, "LANC");

    // Optional keys of this console: the auxiliary controller port and the server address.
    if (auto v = prop("MCSPort"); v && !v->empty()) {
        s.mcs = true;
        s.comport2 = *v;
    }
    if (auto v = prop("ServerAddress")) {
        s.serveraddress = *v;
        s.serveraddressset = true;
    }
    s.ServerPort = prop("ServerPort");
    if (s.ServerPort) {
        if (auto port = portNumber(*s.ServerPort))
            s.socketport = *port;
    }
    s.ServerIdleTimeout = prop("ServerIdleTimeout");
    s.ServerAllow = prop("ServerAllow");
    s.RecorderServerPort = prop("RecorderServerPort");
    s.RecorderServerClients = prop("RecorderServerClients");
    s.RecorderServerRecord = prop("RecorderServerRecord");

    applyEdlProps(props, s);

    if (s.UseClipboard)
        s.useclipboard = equalsIgnoreCase(*s.UseClipboard, "YES");
    if (s.StopOnExit) {
        // "NO" turns stopping off; "YES" (or any other word) keeps it on.
        if (equalsIgnoreCase(*s.StopOnExit, "YES"))
            s.stoponexit = true;
        if (equalsIgnoreCase(*s.StopOnExit, "NO"))
            s.stoponexit = false;
    }
    return s;
}

SettingsRead GetProps(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        Utils::OutLine("No Settings File found!");
        return {PropsResult::missing, {}};
    }
    std::string bytes;
    if (readWholeFile(path, bytes)) {
        Utils::OutLine("Settings File Problem");
        return {PropsResult::problem, {}};
    }
    PropertiesTable table = parseProperties(bytes);
    for (const auto& problem : table.problems)
        Utils::OutLine(problem);
    return {PropsResult::ok, applyProps(table.entries)};
}

void nameEdition(Settings& settings) {
    settings.name = settings.recon ? " Halvo" : " Vemo";
    settings.title = settings.name + " Video Deck Console";
}

Settings Settings::forDeck(std::string_view type) {
    Settings s;
    s.VCRType = std::string(type);
    s.lx1 = equalsIgnoreCase(type, "LX1");
    s.recon = equalsIgnoreCase(type, "RECON");
    s.lanc = !s.lx1 && !s.recon && equalsIgnoreCase(type, "LANC");
    return s;
}

void showprops(const Settings& s) {
    Utils::OutLine(" ");
    Utils::OutLine(label("COM Port") + s.comport1);
    Utils::OutLine(label("VCR Type") + s.VCRType);
    Utils::OutLine(label("User Note") + s.note);
    Utils::OutLine(label("Use Clipboard") + raw(s.UseClipboard));
    Utils::OutLine(label("Stop On Exit") + raw(s.StopOnExit));
    Utils::OutLine(label("Verbose") + raw(s.verbo));
    if (s.recon) {
        Utils::OutLine(label("Compression") + std::to_string(s.compression));
        Utils::OutLine(label("VideoMode") + s.VideoMode);
        Utils::OutLine(label("VideoType") + s.VideoType);
        Utils::OutLine(label("LoopRecMode") + s.LoopRecMode);
        Utils::OutLine(label("LoopPlayMode") + s.LoopPlayMode);
    }
    if (s.lx1) {
        Utils::OutLine(label("Initialize Disk") + s.initializestring);
        Utils::OutLine(label("Finalize Disk") + s.finalizestring);
        Utils::OutLine(label("Record Mode") + s.automodestring);
        Utils::OutLine(label("AutoChapter") + s.autochapstring);
    }
    if (s.mcs)
        Utils::OutLine(label("MCS Port") + s.comport2);
    showEdlProps(s);
    // The server keys only when the file sets them, so older files echo as they always did.
    const std::pair<const char*, const std::optional<std::string>*> serverKeys[] = {
        {"Server Port", &s.ServerPort},
        {"Server Timeout", &s.ServerIdleTimeout},
        {"Server Allow", &s.ServerAllow},
        {"Recorder Port", &s.RecorderServerPort},
        {"Recorder Clients", &s.RecorderServerClients},
        {"Recorder Record", &s.RecorderServerRecord},
    };
    for (const auto& [name, text] : serverKeys) {
        if (*text)
            Utils::OutLine(label(name) + **text);
    }
}

std::optional<int> portNumber(std::string_view text) {
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (std::tolower(ca) != std::tolower(cb))
            return false;
    }
    return true;
}

}  // namespace vemo::core
