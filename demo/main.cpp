// lumoclass-demo-service: the stand-in for every remote server of Lumovia Class.
#include <utility>

#include <libxml/parser.h>
#include <sys/stat.h>
#include <QGuiApplication>
#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/ssl/context.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>

#include "CertificateStore.h"
#include "DemoServer.h"
#include "RequestRouter.h"
#include "SampleStore.h"

namespace fs = std::filesystem;
namespace asio = boost::asio;

namespace {

struct Options {
    std::vector<fs::path> dataDirs;
    std::string listen = "127.0.0.1:0";
    fs::path stateDir;
    unsigned short questionPort = 8090;
    fs::path clientConfig;
    int threads = 4;
};

[[noreturn]] void usage(const std::string& problem) {
    std::cerr << "lumoclass-demo-service: " << problem << "\n"
              << "usage: lumoclass-demo-service --data DIR [--data OVERRIDE_DIR...] --listen ADDRESS:PORT\n"
              << "       [--state DIR] [--question-port PORT] [--write-client-config FILE] [--threads N]\n";
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--data")
            options.dataDirs.emplace_back(value());
        else if (arg == "--listen")
            options.listen = value();
        else if (arg == "--state")
            options.stateDir = value();
        else if (arg == "--question-port")
            options.questionPort = static_cast<unsigned short>(std::stoi(value()));
        else if (arg == "--write-client-config")
            options.clientConfig = value();
        else if (arg == "--threads")
            options.threads = std::clamp(std::stoi(value()), 1, 32);
        else if (arg == "--help" || arg == "-h")
            usage("help");
        else
            usage("unknown argument " + arg);
    }
    if (options.dataDirs.empty()) usage("--data is required");
    for (const fs::path& dir : options.dataDirs)
        if (!fs::is_directory(dir)) usage("data folder does not exist: " + dir.string());
    if (options.stateDir.empty()) {
        const char* cache = std::getenv("XDG_CACHE_HOME");
        const char* home = std::getenv("HOME");
        fs::path base = cache && *cache ? fs::path(cache) : fs::path(home ? home : "/tmp") / ".cache";
        options.stateDir = base / "lumoclass-demo-service";
    }
    return options;
}

xmlParserInputPtr refuseExternalEntities(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

std::mutex outputMutex;

void say(const std::string& line) {
    std::lock_guard lock(outputMutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void writeClientConfig(const fs::path& file, const std::string& host, const std::string& address,
                       const fs::path& caFile) {
    if (file.has_parent_path()) fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::trunc);
    out << "[servers]\nclassroom = " << host << "\naccount = " << host << "\ncontent = " << host
        << "\nquestion = " << address
        << "\n[service]\nnamespace = http://tempuri.org/\n[tls]\nverify = true\n"
        << "ca_file = " << fs::absolute(caFile).string() << "\n";
    if (!out) throw std::runtime_error("cannot write client configuration " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    // Drawing pictures and documents needs fonts, never a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    xmlSetExternalEntityLoader(refuseExternalEntities);

    size_t colon = options.listen.rfind(':');
    if (colon == std::string::npos) usage("--listen needs ADDRESS:PORT");
    boost::system::error_code ec;
    asio::ip::address address = asio::ip::make_address(options.listen.substr(0, colon), ec);
    if (ec || !address.is_v4()) usage("--listen needs an IPv4 address: " + options.listen);
    unsigned short port = static_cast<unsigned short>(std::stoi(options.listen.substr(colon + 1)));

    try {
        fs::create_directories(options.stateDir);
        chmod(options.stateDir.c_str(), 0700);
        CertificateStore certificates(options.stateDir, address.to_string());

        asio::io_context io(options.threads);
        asio::ssl::context tls(asio::ssl::context::tls_server);
        tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                        asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                        asio::ssl::context::no_tlsv1_1);
        tls.use_certificate_chain_file(certificates.certificateFile().string());
        tls.use_private_key_file(certificates.keyFile().string(), asio::ssl::context::pem);

        SampleStore store(options.dataDirs, options.stateDir);
        std::unique_ptr<RequestRouter> router;
        DemoServer server(
            io, tls, [&router](const HttpRequest& request) { return router->route(request); }, say);
        unsigned short bound = server.listen(address, port);
        const std::string host = address.to_string() + ":" + std::to_string(bound);
        router = std::make_unique<RequestRouter>(store, "https://" + host);
        bool questionPort = false;
        if (options.questionPort != bound && options.questionPort != 0) {
            try {
                server.listen(address, options.questionPort);
                questionPort = true;
            } catch (const std::exception& error) {
                std::cerr << "lumoclass-demo-service: question pages port " << options.questionPort
                          << " unavailable: " << error.what() << "\n";
            }
        }
        if (!options.clientConfig.empty())
            writeClientConfig(options.clientConfig, host, address.to_string(), certificates.caFile());

        asio::signal_set stopSignals(io, SIGINT, SIGTERM);
        stopSignals.async_wait([&](const boost::system::error_code&, int) {
            server.stop();
            io.stop();
        });
        say("listening " + host);
        say("ca-file " + fs::absolute(certificates.caFile()).string());
        say("state " + fs::absolute(options.stateDir).string());
        if (questionPort) say("question-port " + std::to_string(options.questionPort));
        say("ready");

        std::vector<std::thread> workers;
        for (int i = 1; i < options.threads; ++i) workers.emplace_back([&io] { io.run(); });
        io.run();
        for (std::thread& worker : workers) worker.join();
        say("stopped");
    } catch (const std::exception& error) {
        std::cerr << "lumoclass-demo-service: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
