#pragma once
// The one deadline of the tests' waits: a wait ends as soon as its condition
// holds, and runs out only after SECONDS, which a machine ten times slower
// than a busy one of ours still meets. Header only: the whole-program tests
// that link no support library use it too.
#include <chrono>
#include <functional>
#include <thread>

class TestDeadline {
public:
    static constexpr double SECONDS = 120.0;

    explicit TestDeadline(double seconds = SECONDS)
        : end(std::chrono::steady_clock::now() +
              std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds))) {}
    bool passed() const { return std::chrono::steady_clock::now() >= end; }

    // Looks at done every pollMs until it holds (true) or the deadline has
    // passed (false, after one last look).
    static bool waitFor(const std::function<bool()>& done, double seconds = SECONDS, int pollMs = 10) {
        const TestDeadline deadline(seconds);
        while (!done()) {
            if (deadline.passed()) return done();
            std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
        }
        return true;
    }

private:
    std::chrono::steady_clock::time_point end;
};
