#include "serial/port_table.h"

namespace vemo::serial::detail {

PortTable& PortTable::instance() {
    static PortTable table;
    return table;
}

PortPtr PortTable::find(int index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(index);
    return it == ports_.end() ? nullptr : it->second;
}

bool PortTable::holds(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [index, entry] : ports_) {
        if (entry->path == path)
            return true;
    }
    return false;
}

int PortTable::insert(int index, PortPtr entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < 0) {
        index = kFirstFreeIndex;
        while (ports_.count(index) != 0)
            ++index;
    } else if (ports_.count(index) != 0) {
        return -1;
    }
    ports_.emplace(index, std::move(entry));
    return index;
}

PortPtr PortTable::remove(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(index);
    if (it == ports_.end())
        return nullptr;
    PortPtr entry = std::move(it->second);
    ports_.erase(it);
    return entry;
}

}  // namespace vemo::serial::detail
