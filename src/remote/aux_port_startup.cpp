#include "remote/aux_port_startup.h"

#include "core/utils.h"
#include "deck/local_vcr.h"
#include "serial/port_problem.h"

namespace vemo::remote {

std::unique_ptr<SerInPort> startAuxPort(
    deck::LocalVCR& svcr, deck::DeckDisplay* gui, const std::string& port, int failWaitMs,
    const std::function<void(const std::vector<std::string>&)>& explain) {
    auto sip = std::make_unique<SerInPort>(port);
    if (sip->bad()) {
        core::Utils::OutLine(" ");
        core::Utils::OutLine(" ");
        core::Utils::OutLine("MCS Serial port " + port + " for VCR not available.");
        auto why = serial::explainPortProblem(port, sip->openError());
        if (explain)
            explain(why);
        else
            for (const auto& line : why)
                core::Utils::OutLine(line);
        sip.reset();
        svcr.DelayT(failWaitMs);
        return nullptr;
    }
    svcr.ShowStat("MCS Serial Port " + port + " Opened OK");
    core::Utils::OutLine(" ");
    core::Utils::OutLine("MCS Serial Port " + port + " Opened OK");
    core::Utils::OutLine(" ");
    sip->setlocalvcr(&svcr);
    sip->setlocalgui(gui);
    sip->setwait(100);
    sip->setsleeptime(100);
    sip->start();
    return sip;
}

}  // namespace vemo::remote
