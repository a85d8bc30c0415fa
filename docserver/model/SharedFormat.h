#pragma once
// A paragraph's or run's format kept once for all who share it. Most of a document's paragraphs and runs carry one
// of a few dozen formats; each holds a pointer to its format and copies it only when it changes it.

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

template <typename Format> class SharedFormat {
public:
    SharedFormat() : value_(Default()) {}
    SharedFormat(const Format& value) : value_(std::make_shared<Format>(value)) {}
    SharedFormat(Format&& value) : value_(std::make_shared<Format>(std::move(value))) {}

    const Format& operator*() const { return *value_; }
    const Format* operator->() const { return value_.get(); }
    operator const Format&() const { return *value_; }

    // The format to change, made this holder's own first when others share it.
    Format& Edit() {
        if (value_.use_count() != 1)
            value_ = std::make_shared<Format>(*value_);
        return *value_;
    }

    // Whether both hold the very same format object, not only equal ones.
    bool SharesWith(const SharedFormat& other) const { return value_ == other.value_; }

    friend bool operator==(const SharedFormat& a, const SharedFormat& b) {
        return a.value_ == b.value_ || *a.value_ == *b.value_;
    }
    friend bool operator==(const SharedFormat& a, const Format& b) { return *a.value_ == b; }

private:
    static const std::shared_ptr<Format>& Default() {
        static const std::shared_ptr<Format> kDefault = std::make_shared<Format>();
        return kDefault;
    }
    std::shared_ptr<Format> value_;
};

// Gives equal formats one shared object, as a document is read. hash: a function of the format.
template <typename Format, typename Hash> class FormatPool {
public:
    explicit FormatPool(Hash hash = Hash()) : hash_(hash) {}
    SharedFormat<Format> Intern(const Format& format) {
        std::vector<SharedFormat<Format>>& same = buckets_[hash_(format)];
        for (const SharedFormat<Format>& kept : same)
            if (*kept == format)
                return kept;
        same.emplace_back(format);
        return same.back();
    }

private:
    Hash hash_;
    std::unordered_map<size_t, std::vector<SharedFormat<Format>>> buckets_;
};

// Applies one change to many holders, so that those sharing a format before still share one afterwards.
template <typename Format> class SharedFormatEdit {
public:
    template <typename Change> void Apply(SharedFormat<Format>& holder, Change change) {
        const Format* key = &*holder;
        if (auto found = done_.find(key); found != done_.end()) {
            holder = found->second.second;
            return;
        }
        Format changed = *holder;
        change(changed);
        // The original is kept so its address is not reused for another format while this edit runs.
        SharedFormat<Format> result = changed == *holder ? holder : SharedFormat<Format>(std::move(changed));
        done_.emplace(key, std::make_pair(holder, result));
        holder = result;
    }

private:
    std::unordered_map<const Format*, std::pair<SharedFormat<Format>, SharedFormat<Format>>> done_;
};
