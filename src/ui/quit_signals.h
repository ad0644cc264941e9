#pragma once

#include <QObject>
#include <functional>

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
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vemo::ui
