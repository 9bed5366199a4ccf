// Peak resident memory while the two reply readers refuse a reply of too many elements: about
// 260 KiB of gzip that inflate to 256 MiB of empty elements, just under the inflation cap, read
// as a dataset; and a 64 MiB question list, the most an HTTP reply may carry, of empty rows.
// Both must be refused with the peak under 1 GiB; the exit status says whether they were.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "DemoEncoding.h"
#include "catalogue/QuestionReplyReader.h"
#include "service/AppError.h"
#include "service/HttpClient.h"
#include "service/ReplyInflater.h"
#include "service/TReplyDataset.h"

namespace {

constexpr long kLimitKiB = 1024 * 1024;

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string_view(field).size()));
    return -1;
}

// From here the peak counts again from the present resident size.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

template <typename Read>
bool measure(const char* name, Read read) {
    resetPeak();
    const long before = statusKiB("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    std::string outcome = "not refused";
    try {
        read();
    } catch (const XmlParseError& error) {
        outcome = error.what();
    } catch (const AppError& error) {
        outcome = std::string(error.typeName()) + ": " + error.what();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = statusKiB("VmHWM:");
    std::printf("%-36s %7.2f s  resident before %6ld MiB  peak %6ld MiB  -> %s\n", name, seconds,
                before / 1024, peak / 1024, outcome.c_str());
    return outcome == "The reply is too large: more than 1000000 elements" && peak < kLimitKiB;
}

}  // namespace

int main() {
    const std::string_view head = "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>";
    const std::string_view tail = "</NewDataSet>";
    const std::size_t elements = (kInflateLimit - head.size() - tail.size()) / 4;
    const ByteString gzip(demo::gzipRepeated(head, "<a/>", elements, tail));
    std::printf("dataset reply: %zu KiB of gzip, %zu MiB inflated, %zu elements\n", gzip.size() / 1024,
                kInflateLimit >> 20, elements + 1);
    bool ok = measure("dataset: inflate and parse",
                      [&] { ParseReplyDataset(InflateReplyText(gzip), DeclarationRule::Plain); });

    std::string rows = "<NewDataSet>";
    rows.reserve(kMaxReplyBytes);
    while (rows.size() + 8 + 13 <= kMaxReplyBytes) rows += "<Table/>";
    rows += "</NewDataSet>";
    const GbkString questions(std::move(rows));
    std::printf("question list: %zu MiB, %zu rows\n", questions.size() >> 20, (questions.size() - 25) / 8);
    ok = measure("question list: read", [&] { QuestionReplyReader::Read(questions); }) && ok;
    return ok ? 0 : 1;
}
