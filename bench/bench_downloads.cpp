// Downloads from a cold cache: 200 thumbnails through RemoteFileCache::CacheRemoteFile, side by
// side with a plain sequential libcurl program fetching the same files into the same folder.
// Both talk to one small keep-alive HTTP server on loopback started by this program.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "KeepAliveServer.h"
#include "cache/CacheFileName.h"
#include "cache/RemoteFileCache.h"

namespace {

constexpr int kPictures = 200;
constexpr std::size_t kPictureBytes = 24 * 1024;  // a typical list thumbnail

// Every GET gets the same picture, which starts as a JPEG does (the cache keeps nothing else).
std::string pictureBody() {
    std::string body(kPictureBytes, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 131) ^ (i >> 7));
    body.replace(0, 3, "\xFF\xD8\xFF");
    return body;
}

KeepAliveServer& server() {
    static KeepAliveServer instance({pictureBody(), "image/jpeg"});
    return instance;
}

std::string benchFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("LUMO_BENCH_DIR");
        std::string path =
            ((base && *base) ? std::filesystem::path(base) : std::filesystem::temp_directory_path()) /
            "lumo-bench-downloads-XXXXXX";
        if (!::mkdtemp(path.data())) std::abort();
        return path + "/";
    }();
    return folder;
}

std::vector<std::string> addresses() {
    std::vector<std::string> list;
    for (int i = 0; i < kPictures; ++i)
        list.push_back(server().baseUrl() + "/media/thumbs/" + std::to_string(i) + ".jpg");
    return list;
}

void emptyFolder(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        std::filesystem::remove(entry.path());
}

size_t writeToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

// One round of the plain program: one easy handle, reused, each body written to its file.
bool plainRound(CURL* curl, const std::vector<std::string>& urls, const std::string& folder) {
    bool ok = true;
    for (const std::string& url : urls) {
        const std::string path = gbk::joinPath(folder, CacheFileName::UrlFileName(GbkString(url)));
        std::FILE* file = std::fopen(path.c_str(), "wb");
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
        ok = curl_easy_perform(curl) == CURLE_OK && ok;
        std::fclose(file);
    }
    return ok;
}

bool cachedRound(RemoteFileCache& cache, const std::vector<std::string>& urls, const std::string& folder) {
    bool ok = true;
    for (const std::string& url : urls)
        ok = cache.CacheRemoteFile(GbkString(url),
                                   gbk::joinPath(folder, CacheFileName::UrlFileName(GbkString(url)))) &&
             ok;
    return ok;
}

// The figure that matters: both programs on the same files, alternating round by round (and
// which goes first) so that a machine busy with other work slows both alike. Reports the median
// round of each and the median of the per-pair ratios.
void BM_SideBySideColdCache(benchmark::State& state) {
    const std::vector<std::string> urls = addresses();
    const std::string folder = benchFolder();
    CURL* curl = curl_easy_init();
    RemoteFileCache cache(
        folder, [](const QString&) {}, [] {});
    std::vector<double> plain, cached, ratios;
    auto timed = [&](auto&& round) {
        emptyFolder(folder);
        const auto start = std::chrono::steady_clock::now();
        if (!round()) state.SkipWithError("a fetch failed");
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    auto plainOnce = [&] { return plainRound(curl, urls, folder); };
    auto cachedOnce = [&] { return cachedRound(cache, urls, folder); };
    bool plainFirst = true;
    for (auto _ : state) {
        double p, c;
        if (plainFirst) {
            p = timed(plainOnce);
            c = timed(cachedOnce);
        } else {
            c = timed(cachedOnce);
            p = timed(plainOnce);
        }
        plainFirst = !plainFirst;
        plain.push_back(p);
        cached.push_back(c);
        ratios.push_back(c / p);
    }
    curl_easy_cleanup(curl);
    state.counters["plain_ms"] = median(plain);
    state.counters["cached_ms"] = median(cached);
    state.counters["ratio"] = median(ratios);
}
BENCHMARK(BM_SideBySideColdCache)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(41);

// What a plain program does: one easy handle, reused, each body written to its file.
void BM_PlainCurlSequential(benchmark::State& state) {
    const std::vector<std::string> urls = addresses();
    const std::string folder = benchFolder();
    const long connectionsBefore = server().connections();
    CURL* curl = curl_easy_init();
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
        if (!plainRound(curl, urls, folder)) state.SkipWithError("plain fetch failed");
    }
    curl_easy_cleanup(curl);
    state.SetItemsProcessed(state.iterations() * kPictures);
    state.counters["connections"] = double(server().connections() - connectionsBefore);
}
BENCHMARK(BM_PlainCurlSequential)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same, with a fresh handle per file (a new connection each time).
void BM_PlainCurlHandlePerFile(benchmark::State& state) {
    const std::vector<std::string> urls = addresses();
    const std::string folder = benchFolder();
    const long connectionsBefore = server().connections();
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
        for (const std::string& url : urls) {
            CURL* curl = curl_easy_init();
            const std::string path = gbk::joinPath(folder, CacheFileName::UrlFileName(GbkString(url)));
            std::FILE* file = std::fopen(path.c_str(), "wb");
            curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
            if (curl_easy_perform(curl) != CURLE_OK) state.SkipWithError("plain fetch failed");
            std::fclose(file);
            curl_easy_cleanup(curl);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
    state.counters["connections"] = double(server().connections() - connectionsBefore);
}
BENCHMARK(BM_PlainCurlHandlePerFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The client's path: status texts and the event pump included (the pump has no window here).
void BM_CacheRemoteFileColdCache(benchmark::State& state) {
    const std::vector<std::string> urls = addresses();
    const std::string folder = benchFolder();
    const long connectionsBefore = server().connections();
    QString lastStatus;
    RemoteFileCache cache(
        folder, [&](const QString& text) { lastStatus = text; }, [] {});
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
        if (!cachedRound(cache, urls, folder)) state.SkipWithError("cached fetch failed");
    }
    benchmark::DoNotOptimize(lastStatus);
    state.SetItemsProcessed(state.iterations() * kPictures);
    state.counters["connections"] = double(server().connections() - connectionsBefore);
}
BENCHMARK(BM_CacheRemoteFileColdCache)->Unit(benchmark::kMillisecond)->UseRealTime();

// A fully cached list: one existence test per picture, no traffic.
void BM_CacheRemoteFileWarmCache(benchmark::State& state) {
    const std::vector<std::string> urls = addresses();
    const std::string folder = benchFolder();
    const long connectionsBefore = server().connections();
    RemoteFileCache cache(
        folder, [](const QString&) {}, [] {});
    for (const std::string& url : urls)
        cache.CacheRemoteFile(GbkString(url),
                              gbk::joinPath(folder, CacheFileName::UrlFileName(GbkString(url))));
    for (auto _ : state) {
        for (const std::string& url : urls)
            benchmark::DoNotOptimize(cache.CacheRemoteFile(
                GbkString(url), gbk::joinPath(folder, CacheFileName::UrlFileName(GbkString(url)))));
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
    state.counters["connections"] = double(server().connections() - connectionsBefore);
}
BENCHMARK(BM_CacheRemoteFileWarmCache)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(benchFolder());
    return 0;
}
