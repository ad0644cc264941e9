#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vemo::serial {

class SerialPort;

// Services flow control for one port on drivers that need the program's help: calls the
// driver's flow task over and over until stopped.
class FlowControlTask {
  public:
    FlowControlTask(SerialPort& sp, int portNum);
    ~FlowControlTask();
    FlowControlTask(const FlowControlTask&) = delete;
    FlowControlTask& operator=(const FlowControlTask&) = delete;

    void start();
    // Ends the thread and waits for it; safe to call more than once.
    void stop();
    bool running() const { return thread_.joinable(); }
    int portNum() const { return portNum_; }
    SerialPort& port() const { return sp_; }

    // A priority step relative to the thread that created the task (one above by default).
    void setFlowPriority(int priority) { priority_.store(priority); }
    int getFlowPriority() const { return priority_.load(); }

  private:
    void run();

    SerialPort& sp_;
    int portNum_;
    std::atomic<int> priority_{1};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;  // guarded by mutex_
    std::thread thread_;
};

}  // namespace vemo::serial
