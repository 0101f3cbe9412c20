#pragma once
// Outcome of an engine call that can fail: success, or a readable reason.

#include <string>
#include <utility>

namespace leafmark::imaging {

class Status {
  public:
    static Status success() { return Status(); }
    static Status failure(std::string reason) { return Status(std::move(reason)); }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    // Empty on success; on failure a sentence an operator can read.
    const std::string& reason() const { return reason_; }

  private:
    Status() = default;
    explicit Status(std::string reason) : ok_(false), reason_(std::move(reason)) {}
    bool ok_ = true;
    std::string reason_;
};

}  // namespace leafmark::imaging
