// The main process's private memory with every player opened once, against one player opened,
// under an Xvfb of the benchmark's own. The players are the five browsers of the media sheets, in
// a tab widget as the main window holds them, each showing the demo service's player page when its
// sheet is first shown; the measure is taken on the first sheet again, after the others were left.
//
// Each measure is a fresh process (a child of this one), the two kinds taking turns, so neither
// inherits the other's heap. Private memory is Private_Clean + Private_Dirty of
// /proc/self/smaps_rollup: what this process alone holds, shared libraries' pages excepted.
//
// Run: bench_browser_memory [--runs N]
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "DemoService.h"
#include "XvfbDesktop.h"
#include "service/HttpClient.h"
#include "web/WebBrowser.h"

namespace {

constexpr int kPlayers = 5;
constexpr int kDefaultRuns = 5;

// Kilobytes this process holds privately, from smaps_rollup.
long privateKilobytes() {
    QFile rollup(QStringLiteral("/proc/self/smaps_rollup"));
    if (!rollup.open(QIODevice::ReadOnly)) return -1;
    long total = 0;
    for (const QByteArray& line : rollup.readAll().split('\n')) {
        if (line.startsWith("Private_Clean:") || line.startsWith("Private_Dirty:"))
            total += line.simplified().split(' ').value(1).toLong();
    }
    return total;
}

void settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// One measure: opens `opened` players in turn, returns to the first and prints the private KB.
int child(int argc, char** argv, int opened) {
    WebBrowser::PrepareProcess();
    QApplication app(argc, argv);
    DemoService service;
    const TlsPolicy tls{true, service.caFile().toStdString()};
    const QString page =
        service.baseUrl(true) + "/mediaplayerhtml/index.html?type=ml&media=video&width=640px&url=x";

    QWidget window;
    window.resize(1280, 800);
    auto* layout = new QVBoxLayout(&window);
    auto* sheets = new QTabWidget(&window);
    layout->addWidget(sheets);
    std::vector<WebBrowser*> players;
    for (int i = 0; i < kPlayers; ++i) {
        auto* sheet = new QWidget;
        auto* fill = new QVBoxLayout(sheet);
        players.push_back(new WebBrowser(tls, sheet));
        fill->addWidget(players.back());
        sheets->addTab(sheet, QString::number(i));
    }
    window.show();
    settle(500);
    for (int i = 0; i < opened; ++i) {
        sheets->setCurrentIndex(i);
        QSignalSpy finished(players[i], &WebBrowser::loadFinished);
        players[i]->Navigate(page);
        if (!finished.wait(30000)) {
            std::fprintf(stderr, "player %d did not load\n", i);
            return 1;
        }
        settle(1500);
    }
    sheets->setCurrentIndex(0);
    settle(2000);
    // Heap the allocator keeps for reuse varies by tens of megabytes between identical runs;
    // handed back first, what remains is what the process holds.
    malloc_trim(0);
    std::printf("%ld\n", privateKilobytes());
    std::fflush(stdout);
    delete sheets;
    return 0;
}

long measure(const char* self, int opened) {
    int channel[2];
    if (::pipe(channel) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(channel[1], STDOUT_FILENO);
        ::close(channel[0]);
        ::close(channel[1]);
        const std::string count = std::to_string(opened);
        ::execl(self, self, "--child", count.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(channel[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) out.append(buffer, std::size_t(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::atol(out.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child") return child(argc, argv, std::atoi(argv[2]));
    int runs = kDefaultRuns;
    if (argc == 3 && std::string(argv[1]) == "--runs") runs = std::max(1, std::atoi(argv[2]));

    XvfbDesktop desktop;
    if (!desktop.start()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    std::vector<double> one, all, ratios;
    for (int run = 0; run < runs; ++run) {
        // The two kinds take turns, starting with the other one each round.
        const bool oneFirst = run % 2 == 0;
        long first = measure(argv[0], oneFirst ? 1 : kPlayers);
        long second = measure(argv[0], oneFirst ? kPlayers : 1);
        if (first < 0 || second < 0) {
            std::fprintf(stderr, "a measure failed\n");
            return 1;
        }
        const long oneKb = oneFirst ? first : second;
        const long allKb = oneFirst ? second : first;
        one.push_back(double(oneKb));
        all.push_back(double(allKb));
        ratios.push_back(double(allKb) / double(oneKb));
        std::printf("run %d: one player %ld KB, all %d players %ld KB, ratio %.2f\n", run + 1, oneKb,
                    kPlayers, allKb, ratios.back());
    }
    std::printf("median: one player %.0f KB, all players %.0f KB, ratio %.2f (min %.2f, max %.2f)\n",
                median(one), median(all), median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
