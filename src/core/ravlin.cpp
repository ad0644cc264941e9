#include "core/ravlin.h"

#include <cctype>

namespace vemo::core {

void Ravlin::resetGlobals() {
    VCRType = "LX1";
    lx1 = recon = lanc = false;
    name.clear();
    title.clear();
    comport1 = "COM1";
    comport2 = "COM2";
    mcs = false;
    socketport = 2001;
    serveraddress.clear();
    useclipboard = false;
    stoponexit = true;
    verbose = false;
    note.clear();
    initialize = finalize = true;
    onetitle = autochapter = false;
    width = 320;
    fontheight = 13;
    OSString = PRString = "00:00:00:00";
    verbo.reset();
    UseClipboard.reset();
    StopOnExit.reset();
    finalizestring = initializestring = "YES";
    automodestring = "Title";
    autochapstring = "NO";
    props.clear();
    svcr = nullptr;
}

void Ravlin::ShowStat(const std::string& text) {
    if (svcr != nullptr)
        svcr->ShowStat(text);
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
