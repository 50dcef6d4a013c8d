// Work that runs on a thread of its own that is never waited for, so that a system call without
// a time limit of its own (a look-up while the resolver reads a long hosts file, a request to a
// server that never answers) cannot make the caller's window wait.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace veltrim::platform {

// `Interface` has `std::optional<Result> Answer()`: nothing while `work` runs, then what it
// returned, the same every time. It answers `failed` where the thread cannot start or `work`
// throws, and, given a bound, `late` once `boundMs` have passed since the start without an
// answer.
template <typename Interface, typename Result>
class Detached final : public Interface {
 public:
  Detached(std::function<Result()> work, std::optional<std::uint64_t> boundMs, Result failed,
           Result late)
      : shared_(std::make_shared<Shared>()),
        start_(::GetTickCount64()),
        boundMs_(boundMs),
        late_(std::move(late)) {
    try {
      std::thread([shared = shared_, work = std::move(work), failed]() mutable {
        // Nothing may leave a thread's function. Out of memory, as any failure of `work`, is
        // the failed answer.
        Result answer = std::move(failed);
        try {
          answer = work();
        } catch (...) {
          // Left as the failed answer.
        }
        try {
          const std::lock_guard<std::mutex> lock(shared->mutex);
          shared->answer = std::move(answer);
          shared->answeredAt = ::GetTickCount64();
        } catch (const std::system_error&) {
          // Unanswered, as work that never comes back.
        }
      }).detach();
    } catch (const std::system_error&) {
      answer_ = shared_->answer = failed;
    } catch (const std::bad_alloc&) {
      answer_ = shared_->answer = failed;
    }
  }

  bool StillOut() override {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return !shared_->answer;
  }

  std::optional<Result> Answer() override {
    if (!answer_) {
      const std::lock_guard<std::mutex> lock(shared_->mutex);
      // An answer that came after the bound is as late as none.
      const ULONGLONG at = shared_->answer ? shared_->answeredAt : ::GetTickCount64();
      if (boundMs_ && at - start_ >= *boundMs_) {
        answer_ = late_;
      } else if (shared_->answer) {
        // Taken, not copied: a page's body may be megabytes, and the thread is done with it.
        answer_ = std::move(shared_->answer);
      }
    }
    return answer_;
  }

 private:
  // Outlives this object when the work is abandoned.
  struct Shared {
    std::mutex mutex;
    std::optional<Result> answer;
    ULONGLONG answeredAt = 0;
  };
  std::shared_ptr<Shared> shared_;
  ULONGLONG start_;
  std::optional<std::uint64_t> boundMs_;
  Result late_;
  // Once given, the same for good, even where the thread answers after the bound.
  std::optional<Result> answer_;
};

}  // namespace veltrim::platform
