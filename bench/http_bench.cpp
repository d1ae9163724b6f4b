// The online services against the local web service on loopback: a form post
// of a 200 KB screenshot and of the 2,744-byte saved block (ms per post,
// MB/s), and replies of 1, 8 and 16 MiB read by the client (ms, growths of
// the reply buffer, its peak size).
#include "online/HttpFormPost.h"
#include "online/HttpRequest.h"

#include "WebService.h"

#include "BenchStats.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

WebService& service() {
    static WebService s;
    return s;
}

void BM_FormPostUpload(benchmark::State& state) {
    unsetenv("http_proxy");
    std::vector<uint8_t> payload(size_t(state.range(0)));
    std::mt19937 random(7);
    for (uint8_t& b : payload) b = uint8_t(random());
    const UString server = service().hostPort().c_str();
    for (auto _ : state) {
        HttpFormPost* post = new HttpFormPost(server, "/corvana2/highscoreupload.php");
        post->addField("HSTfile", "Corvana2demo.hst", payload.data(), int(payload.size()));
        post->send();
        int status;
        while ((status = post->poll()) == HttpFormPost::BUSY || status == HttpFormPost::IDLE)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        if (status != HttpFormPost::DONE) state.SkipWithError(post->message.c_str());
        HttpFormPost::release(post);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FormPostUpload)->Arg(2744)->Arg(200 * 1024)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);

void BM_Reply(benchmark::State& state) {
    unsetenv("http_proxy");
    const std::string url = service().hostPort() + "/bytes/" + std::to_string(state.range(0));
    HttpRequestOptions options;
    for (auto _ : state) {
        options = HttpRequestOptions();
        HttpResult result = httpRequest(url.c_str(), &options, HTTP_GET, 0);
        if (result.bodyLength != state.range(0)) state.SkipWithError("short reply");
        freeHttpResult(result);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
    state.counters["reallocations"] = options.reallocations;
    state.counters["peak_buffer_MiB"] = options.peakBufferBytes / 1048576.0;
}
BENCHMARK(BM_Reply)->Arg(1 << 20)->Arg(8 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);

}  // namespace

BENCHMARK_MAIN();
