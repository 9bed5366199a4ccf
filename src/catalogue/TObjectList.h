#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// An owning list of catalogue records: records live until the list is emptied or destroyed.
// Widgets that show a record keep a plain pointer to it and must be cleared before the list
// that owns it is emptied; a list can tell them itself (setBeforeClear).
template <class T>
class TObjectList {
public:
    T* Add(T record) {
        items_.push_back(std::make_unique<T>(std::move(record)));
        return items_.back().get();
    }
    // Runs `notify` at every Clear(), before a record goes.
    void setBeforeClear(std::function<void()> notify) { beforeClear_ = std::move(notify); }
    void Clear() {
        if (beforeClear_) beforeClear_();
        items_.clear();
    }
    std::size_t Count() const { return items_.size(); }
    bool IsEmpty() const { return items_.empty(); }
    T* Items(std::size_t index) const { return items_.at(index).get(); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<T>> items_;
    std::function<void()> beforeClear_;
};
