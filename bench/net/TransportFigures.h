#pragma once
// The transport benchmark's figures: each run's row of both transports as it
// comes, and at the end each row's spread over the runs.
#include <cstddef>
#include <vector>

// One setting of the table.
struct TransportRow {
    int tickMs;
    int messageBytes;
    double drop;
    double delayMin, delayMax; // one way, seconds
};

// What both processes of one transport's run reported.
struct TransportResult {
    std::vector<double> latencies;
    double streamSeconds = 0.0, userCpu = 0.0, systemCpu = 0.0, relayCpu = 0.0, join = 0.0;
    long streamBytes = 0, datagrams = 0, messages = 0, deliveredBytes = 0, expected = 0;
    bool lost = false;
};

class TransportFigures {
public:
    TransportFigures(const std::vector<TransportRow>& rows, int runs);
    void printRunHeading() const;
    // Prints the run's lines for the row and keeps its figures.
    void add(size_t row, int run, const TransportResult& ours, const TransportResult& theirs);
    void printSpread() const;

private:
    // One side's run reduced to its figures (ms, MB/s, ms of CPU per MB, all
    // and the user part).
    struct Run {
        bool complete = false;
        long messages = 0;
        double join = 0.0, p50 = 0.0, p95 = 0.0, rate = 0.0, cpu = 0.0, user = 0.0, systemShare = 0.0, relay = 0.0;
        long datagrams = 0;
    };
    static Run reduce(const TransportResult& r);
    void printSetting(size_t row, const char* side) const;
    void printRun(size_t row, int run, const char* side, const Run& f, long expected) const;
    void printSideSpread(size_t row, const char* side, const std::vector<Run>& runs) const;
    void printRatioSpread(size_t row) const;
    std::vector<TransportRow> rows;
    // By row, then run.
    std::vector<std::vector<Run>> ours, theirs;
};
