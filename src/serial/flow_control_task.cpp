#include "serial/flow_control_task.h"

#include <chrono>

#include "core/utils.h"
#include "serial/platform.h"

namespace vemo::serial {

FlowControlTask::FlowControlTask(SerialPort& sp, int portNum) : sp_(sp), portNum_(portNum) {
    core::Utils::OutLine("FlowControlTask created");
}

FlowControlTask::~FlowControlTask() {
    stop();
}

void FlowControlTask::start() {
    if (thread_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this] { run(); });
}

void FlowControlTask::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void FlowControlTask::run() {
    // A short rest between passes keeps the task from taking a whole processor.
    constexpr auto kPass = std::chrono::milliseconds(5);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        SerFlowTask(portNum_);
        lock.lock();
        wake_.wait_for(lock, kPass, [this] { return stopping_; });
    }
}

}  // namespace vemo::serial
