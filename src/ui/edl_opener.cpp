#include "ui/edl_opener.h"

#include <QObject>

#include "ui/edl_viewer.h"
#include "ui/local_gui.h"

namespace vemo::ui {

EDLViewer* openEdlMaker(const core::Settings& settings, QObject* owner, RecentFiles* recent) {
    // A top-level window of its own, not a child of the main window, so it stacks freely.
    auto* viewer = new EDLViewer(settings);
    viewer->recent = recent;
    if (owner != nullptr) {
        // The windows still open when the console shuts down go with it.
        QObject::connect(owner, &QObject::destroyed, viewer, [viewer] { delete viewer; });
    }
    return viewer;
}

void attachEdlMaker(LocalGUI& gui) {
    gui.onOpenEdlMaker = [&gui] { openEdlMaker(gui.settings(), &gui, &gui.recentFiles()); };
}

}  // namespace vemo::ui
