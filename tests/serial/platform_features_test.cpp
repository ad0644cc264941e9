#include "serial/platform_features.h"

#include <gtest/gtest.h>

#include <chrono>

#include "serial/flow_control_task.h"
#include "serial/os_info.h"
#include "serial/serial_port_local.h"
#include "support/pty_pair.h"

namespace vemo::serial {
namespace {

TEST(Features, UnixFamilyOffersTheModemLinesAndCounts) {
    Features f = featuresFor("Linux");
    EXPECT_TRUE(f.supSigRing && f.supSetRTS && f.supSetDTR && f.supSigCD);
    EXPECT_TRUE(f.supRxReadyCount && f.supTxBufCount && f.supSigCTS && f.supSigDSR);
    EXPECT_FALSE(f.supSigBreak || f.supSigFrameErr || f.supSigOverrun || f.supSigParityErr);
    EXPECT_FALSE(f.supRxOverflow || f.supSetTimeoutTx || f.supGetTimeoutTx);
    EXPECT_TRUE(f.layerGetDataTimeout);
    EXPECT_EQ(f.devName, "/dev/ttyS0");
    EXPECT_EQ(featuresFor("Solaris").devName, "/dev/ttya");
    EXPECT_EQ(featuresFor("AIX").devName, "/dev/tty0");

    Features irix = featuresFor("Irix");
    EXPECT_FALSE(irix.supSetRTS || irix.supSetDTR || irix.supSigCTS);

    Features win = featuresFor("Windows NT");
    EXPECT_TRUE(win.supSigBreak && win.supSetTimeoutTx && win.supGetTimeoutTx);
    EXPECT_FALSE(win.layerGetDataTimeout);
    EXPECT_EQ(win.devName, "COM1");

    Features mac = featuresFor("Mac OS");
    EXPECT_TRUE(mac.supSigCTS && mac.supSetDTR && mac.layerGetDataTimeout);
    EXPECT_FALSE(mac.supSetRTS || mac.supSigDSR);
    EXPECT_EQ(mac.devName, "Modem Port");

    Features other = featuresFor("BeOS");
    EXPECT_FALSE(other.supSetDTR || other.layerGetDataTimeout);
    EXPECT_EQ(other.devName, "");
}

TEST(Features, BackendBySystemAndProcessor) {
    EXPECT_EQ(backendFor("Linux", "x86"), "serLux86");
    EXPECT_TRUE(backendFor("Linux", "aarch64"));  // the terminal back-end serves any Linux
    EXPECT_EQ(backendFor("Windows NT", "x86"), "serWin");
    EXPECT_EQ(backendFor("Windows 95", "x86", "102"), "serWinNm");
    EXPECT_EQ(backendFor("Windows NT", "x86", "1.0.3", "Microsoft Corp."), "serWinRni");
    EXPECT_EQ(backendFor("Windows NT", "x86", "1.0.2", "Microsoft Corp."), "serWinRnia");
    EXPECT_EQ(backendFor("FreeBSD", "i386"), "serBsdx86");
    EXPECT_EQ(backendFor("SunOS", "sparc"), "serSolSparc");
    EXPECT_FALSE(backendFor("FreeBSD", "sparc"));
    EXPECT_FALSE(backendFor("BeOS", "x86"));
    EXPECT_EQ(osName(), "Linux");
}

TEST(FlowControl, TaskStartsAndStopsCleanly) {
    test::PtyPair pty;
    SerialPortLocal port{SerialConfig(pty.slaveName())};
    FlowControlTask task(port, port.getPortNum());
    EXPECT_EQ(task.getFlowPriority(), 1);
    task.setFlowPriority(2);
    EXPECT_EQ(task.getFlowPriority(), 2);
    task.start();
    EXPECT_TRUE(task.running());
    task.stop();
    EXPECT_FALSE(task.running());
    task.stop();
}

}  // namespace
}  // namespace vemo::serial
