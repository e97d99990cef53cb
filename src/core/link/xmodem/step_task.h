#pragma once

#include <coroutine>
#include <exception>
#include <utility>

namespace linkwright {

// Where a chain of step tasks paused: the coroutine to resume for the next step.
using StepResumePoint = std::coroutine_handle<>;

// Pauses the running chain of step tasks until its owner resumes it for the next step.
struct StepPause {
  StepResumePoint& resumeAt;

  bool await_ready() const noexcept { return false; }
  void await_suspend(std::coroutine_handle<> paused) const noexcept { resumeAt = paused; }
  void await_resume() const noexcept {}
};

// A piece of work that runs in steps on its caller's thread: a coroutine that may pause
// (co_await StepPause) and whose caller awaits it (co_await task) for its result. A pause passes
// through every awaiting task up to the owner of the outermost one, which goes on by resuming
// the recorded point; the awaiting tasks go on by themselves as their pieces end. A task starts
// only when it is awaited or resumed, and destroying it destroys the pieces it awaits.
template <typename T>
class StepTask {
 public:
  struct promise_type;
  using Handle = std::coroutine_handle<promise_type>;

  struct promise_type {
    T value{};
    std::coroutine_handle<> awaiting;

    StepTask get_return_object() { return StepTask(Handle::from_promise(*this)); }
    std::suspend_always initial_suspend() noexcept { return {}; }
    auto final_suspend() noexcept {
      struct HandBack {
        bool await_ready() const noexcept { return false; }
        std::coroutine_handle<> await_suspend(Handle done) const noexcept {
          const std::coroutine_handle<> next = done.promise().awaiting;
          return next ? next : std::noop_coroutine();
        }
        void await_resume() const noexcept {}
      };
      return HandBack{};
    }
    void return_value(T result) { value = std::move(result); }
    // The core lets no exception escape a module; a step task has none to pass on.
    void unhandled_exception() noexcept { std::terminate(); }
  };

  explicit StepTask(Handle handle) : m_Handle(handle) {}
  StepTask(StepTask&& other) noexcept : m_Handle(std::exchange(other.m_Handle, {})) {}
  StepTask& operator=(StepTask&& other) noexcept {
    std::swap(m_Handle, other.m_Handle);
    return *this;
  }
  StepTask(const StepTask&) = delete;
  StepTask& operator=(const StepTask&) = delete;
  ~StepTask() {
    if (m_Handle) {
      m_Handle.destroy();
    }
  }

  // Where the owner of an outermost task resumes it for its first step.
  StepResumePoint Start() const { return m_Handle; }
  bool Done() const { return m_Handle.done(); }
  const T& Result() const { return m_Handle.promise().value; }

  bool await_ready() const noexcept { return false; }
  std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
    m_Handle.promise().awaiting = awaiting;
    return m_Handle;
  }
  T await_resume() { return std::move(m_Handle.promise().value); }

 private:
  Handle m_Handle;
};

}  // namespace linkwright
