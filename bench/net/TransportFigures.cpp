#include "TransportFigures.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    size_t i = size_t(p * double(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// Median run and range of all, of the runs that got that far.
void printRange(const std::vector<double>& v, const char* format) {
    if (v.empty()) {
        printf("  %24s", "-");
        return;
    }
    char text[3][32];
    snprintf(text[0], sizeof text[0], format, percentile(v, 0.5));
    snprintf(text[1], sizeof text[1], format, *std::min_element(v.begin(), v.end()));
    snprintf(text[2], sizeof text[2], format, *std::max_element(v.begin(), v.end()));
    printf("  %7s [%7s-%7s]", text[0], text[1], text[2]);
}

} // namespace

TransportFigures::TransportFigures(const std::vector<TransportRow>& rows, int runs)
    : rows(rows), ours(rows.size(), std::vector<Run>(size_t(runs))), theirs(rows.size(), std::vector<Run>(size_t(runs))) {}

TransportFigures::Run TransportFigures::reduce(const TransportResult& r) {
    Run f;
    f.messages = r.messages;
    f.complete = !r.lost && r.messages >= r.expected && r.streamSeconds > 0.0;
    if (!f.complete)
        return f;
    double megabytes = r.deliveredBytes / 1e6, cpu = r.userCpu + r.systemCpu;
    f.join = r.join * 1000;
    f.p50 = percentile(r.latencies, 0.5) * 1000;
    f.p95 = percentile(r.latencies, 0.95) * 1000;
    f.rate = r.streamBytes / r.streamSeconds / 1e6;
    f.cpu = cpu * 1000.0 / megabytes;
    f.user = r.userCpu * 1000.0 / megabytes;
    f.systemShare = cpu > 0.0 ? r.systemCpu / cpu * 100 : 0.0;
    f.relay = r.relayCpu * 1000.0 / megabytes;
    f.datagrams = r.datagrams;
    return f;
}

void TransportFigures::printRunHeading() const {
    printf("run  service  loss  one-way   message  side  join ms   p50 ms   p95 ms   MB/s  cpu ms/MB  user ms/MB   sys  relay ms/MB"
           "  datagrams\n");
}

void TransportFigures::printSetting(size_t row, const char* side) const {
    const TransportRow& r = rows[row];
    printf("%5d ms %4.0f%%  %2.0f-%2.0f ms  %6d  %-4s", r.tickMs, r.drop * 100, r.delayMin * 1000, r.delayMax * 1000,
           r.messageBytes, side);
}

void TransportFigures::printRun(size_t row, int run, const char* side, const Run& f, long expected) const {
    printf("%3d", run + 1);
    printSetting(row, side);
    if (f.complete)
        printf("  %7.1f  %7.1f  %7.1f  %5.2f  %9.1f  %10.1f  %3.0f%%  %11.1f  %9ld\n", f.join, f.p50, f.p95, f.rate,
               f.cpu, f.user, f.systemShare, f.relay, f.datagrams);
    else
        printf("  lost connection after %ld of %ld messages\n", f.messages, expected);
}

void TransportFigures::add(size_t row, int run, const TransportResult& a, const TransportResult& b) {
    Run& x = ours[row][size_t(run)];
    Run& y = theirs[row][size_t(run)];
    x = reduce(a);
    y = reduce(b);
    printRun(row, run, "ours", x, a.expected);
    printRun(row, run, "enet", y, b.expected);
    if (x.complete && y.complete)
        printf("%43s  p50 %.2fx  p95 %.2fx  MB/s %.2fx  cpu %.2fx  user %.2fx  relay %.2fx\n", "ours/enet",
               x.p50 / y.p50, x.p95 / y.p95, x.rate / y.rate, x.cpu / y.cpu, x.user / y.user, x.relay / y.relay);
    fflush(stdout);
}

void TransportFigures::printSideSpread(size_t row, const char* side, const std::vector<Run>& runs) const {
    std::vector<double> p50, p95, rate, cpu, user, relay;
    for (const Run& f : runs)
        if (f.complete) {
            p50.push_back(f.p50);
            p95.push_back(f.p95);
            rate.push_back(f.rate);
            cpu.push_back(f.cpu);
            user.push_back(f.user);
            relay.push_back(f.relay);
        }
    printSetting(row, side);
    printf("  %zu/%zu", p50.size(), runs.size());
    printRange(p50, "%.1f");
    printRange(p95, "%.1f");
    printRange(rate, "%.2f");
    printRange(cpu, "%.1f");
    printRange(user, "%.1f");
    printRange(relay, "%.1f");
    printf("\n");
}

void TransportFigures::printRatioSpread(size_t row) const {
    std::vector<double> p50, p95, rate, cpu, user, relay;
    for (size_t i = 0; i < ours[row].size(); ++i) {
        const Run& x = ours[row][i];
        const Run& y = theirs[row][i];
        if (x.complete && y.complete) {
            p50.push_back(x.p50 / y.p50);
            p95.push_back(x.p95 / y.p95);
            rate.push_back(x.rate / y.rate);
            cpu.push_back(x.cpu / y.cpu);
            user.push_back(x.user / y.user);
            relay.push_back(x.relay / y.relay);
        }
    }
    printf("%38s  %zu   ", "ours/enet", p50.size());
    for (const std::vector<double>* v : {&p50, &p95, &rate, &cpu, &user, &relay})
        printRange(*v, "%.2fx");
    printf("\n");
}

void TransportFigures::printSpread() const {
    printf("\nEach row over the runs: median run [range] of the runs that completed.\n");
    printf("service   loss  one-way  message  side  runs        p50 ms [range]            p95 ms [range]"
           "              MB/s [range]         cpu ms/MB [range]        user ms/MB [range]       relay ms/MB [range]\n");
    for (size_t row = 0; row < rows.size(); ++row) {
        printSideSpread(row, "ours", ours[row]);
        printSideSpread(row, "enet", theirs[row]);
        printRatioSpread(row);
    }
}
