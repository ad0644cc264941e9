#pragma once

#include <QObject>
#include <functional>

#include "core/unique_fd.h"

class QSocketNotifier;

namespace vemo::ui {

// Turns SIGTERM, SIGINT and SIGHUP into a quit request on the window's own thread, so a
// terminated console shuts the deck down as when the operator closes it. Nobody is there to
// answer a question then: the request closes without asking.
class QuitSignals : public QObject {
  public:
    QuitSignals(QObject* owner, std::function<void()> quit);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

  private:
    std::function<void()> quit_;
    // The pipe's two ends: the handler writes one byte, the window thread reads it.
    core::UniqueFd readEnd_;
    core::UniqueFd writeEnd_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vemo::ui
