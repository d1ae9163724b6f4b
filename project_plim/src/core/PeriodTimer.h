#pragma once
// The frame-rate limiter: sleeps away what is left of each period. Its start
// times are the engine's frame time and delta time.

class PeriodTimer {
public:
    PeriodTimer() = default;

    // Begins timing now with the given period (seconds); the next delta is
    // measured from here.
    void start(double period);
    // Sleeps out the rest of the current period and begins the next one.
    // No spinning, no catching up: a late frame just delays later deadlines.
    void wait();
    // Seconds since the current period began.
    double elapsed() const;

    double lateness = 0.0;      // end of the last wait minus its deadline
    double startTime = 0.0;     // engine time at which this period began
    double previousStart = 0.0; // engine time at which the previous one began
    double period = 0.0;
};
