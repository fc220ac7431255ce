#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace tarnwick {

// Work given a head start on a thread of its own while its owner does something else. The
// owner takes the result when it needs it: if the thread is still at it, the owner waits;
// if the thread has not begun (a busy machine may not have run it yet), the owner does the
// work itself, so that the result never waits for a thread to be scheduled. An owner that
// drops the work without taking it waits only for a run under way; none begins after.
template <typename Result>
class HeadStart {
 public:
  HeadStart() = default;
  explicit HeadStart(std::function<Result()> work) : state_(std::make_shared<State>()) {
    state_->work = std::move(work);
    std::thread([state = state_] { state->Run(); }).detach();
  }
  HeadStart(HeadStart&&) = default;
  HeadStart& operator=(HeadStart&& other) {
    Drop();
    state_ = std::move(other.state_);
    return *this;
  }
  ~HeadStart() { Drop(); }

  bool Started() const { return state_ != nullptr; }

  // The result, once; afterwards there is no work any more.
  Result Take() {
    const std::shared_ptr<State> state = std::exchange(state_, nullptr);
    if (state->Claim()) return state->work();
    state->phase.wait(Running);
    return std::move(*state->result);
  }

 private:
  enum : int { Waiting, Running, Done };
  struct State {
    std::function<Result()> work;
    std::optional<Result> result;
    std::atomic<int> phase = Waiting;

    bool Claim() {
      int waiting = Waiting;
      return phase.compare_exchange_strong(waiting, Running);
    }
    void Run() {
      if (!Claim()) return;
      result = work();
      phase.store(Done);
      phase.notify_all();
    }
  };

  void Drop() {
    if (state_ != nullptr && !state_->Claim()) state_->phase.wait(Running);
    state_.reset();
  }

  std::shared_ptr<State> state_;
};

}  // namespace tarnwick
