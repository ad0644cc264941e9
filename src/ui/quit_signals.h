#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace vemo::ui {

// Turns SIGTERM, SIGINT and SIGHUP into a close of the given window on its own thread, so a
// terminated console shuts the deck down as when the operator closes it.
class QuitSignals : public QObject {
  public:
    explicit QuitSignals(QWidget* window);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

  private:
    QWidget* window_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vemo::ui
