// One thread that runs jobs in the order they were posted, while the caller goes on. What waits
// is bounded by count and by bytes, so memory stays flat: a caller posting into a full queue waits
// until half of it is done. The first job that raises breaks the worker: the jobs after it are
// dropped, and every later post() and finish() raises that failure. A job that is dropped is
// destroyed without running, so whatever it holds is given back by its destructors. Standard C++.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

class Worker {
public:
    struct Limits {
        size_t jobs = 8; // jobs that may wait
        size_t bytes = std::numeric_limits<size_t>::max();
        // Jobs gathered before an idle thread is woken (a wake-up can cost more than a small job);
        // a quarter of the bytes, finish() and a full queue wake it too.
        size_t batch = 1;
    };

    explicit Worker(Limits limits);
    Worker() : Worker(Limits{}) {}
    // Drops what has not begun, waits for the job under way, ends the thread.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Queues job, which holds about bytes of data; waits while the queue is full. Raises the
    // failure of an earlier job (the job is then not queued).
    void post(std::function<void()> job, size_t bytes = 0);
    // Waits until every job posted has run or was dropped; raises the first failure.
    void finish();
    // Drops the jobs that have not begun and waits for the one under way; raises nothing.
    void drop();
    // The first failure, or none.
    std::exception_ptr failure() const;

private:
    struct Job {
        std::function<void()> run;
        size_t bytes;
    };

    void run();
    bool roomFor(size_t bytes) const; // with m_mutex held
    bool halfDone() const;            // with m_mutex held: what a poster waiting for room waits for
    bool enoughToWake() const;        // with m_mutex held: an idle thread is woken for what waits
    void wake();                      // with m_mutex held: the other side, where it waits

    const Limits m_limits;
    mutable std::mutex m_mutex;
    std::condition_variable m_threadChanged; // the thread waits on it for jobs
    std::condition_variable m_callerChanged; // callers wait on it for room, or for the end
    std::deque<Job> m_jobs;
    size_t m_bytes = 0; // of the jobs waiting
    bool m_running = false;
    bool m_idle = false;   // the thread waits for jobs
    int m_roomWaiting = 0; // posters waiting for room
    int m_endWaiting = 0;  // callers of finish() or drop()
    bool m_stop = false;
    std::exception_ptr m_failure;
    std::thread m_thread; // last: it starts once the rest is made
};
