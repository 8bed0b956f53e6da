// mingw's win32 thread model before GCC 13 leaves std::mutex and
// std::condition_variable out of libstdc++, and GoogleTest's Windows build
// names both. Forced into every GoogleTest compilation of the Windows
// presets; the tests themselves run on one thread.
#ifndef GTEST_WIN32_THREADS_H
#define GTEST_WIN32_THREADS_H

#if defined(__cplusplus) && defined(_WIN32)
// Whether this libstdc++ has them is in its configuration header, which
// only its own headers bring in: the test must come after one.
#include <mutex>
#if !defined(_GLIBCXX_HAS_GTHREADS)
#include <windows.h>

namespace std {

class mutex {
  public:
    mutex() = default;
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { AcquireSRWLockExclusive(&m_lock); }
    bool try_lock() { return TryAcquireSRWLockExclusive(&m_lock) != 0; }
    void unlock() { ReleaseSRWLockExclusive(&m_lock); }
    SRWLOCK* native_handle() { return &m_lock; }

  private:
    SRWLOCK m_lock = SRWLOCK_INIT;
};

class condition_variable {
  public:
    condition_variable() = default;
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_one() { WakeConditionVariable(&m_cv); }
    void notify_all() { WakeAllConditionVariable(&m_cv); }
    template <class Predicate> void wait(unique_lock<mutex>& lock, Predicate ready) {
        while (!ready())
            SleepConditionVariableSRW(&m_cv, lock.mutex()->native_handle(), INFINITE, 0);
    }

  private:
    CONDITION_VARIABLE m_cv = CONDITION_VARIABLE_INIT;
};

} // namespace std
#endif
#endif

#endif
