#include "RequestRouter.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "DemoEncoding.h"
#include "PlayerPage.h"
#include "WaveSynth.h"

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

HttpReply html(std::string body) {
    HttpReply reply = HttpReply::text(200, std::move(body));
    reply.contentType = "text/html; charset=utf-8";
    return reply;
}

const char* kMediaKinds[] = {"GetScene", "GetMiniLecture", "getword", "getpassage", "GetClip"};

}  // namespace

RequestRouter::RequestRouter(SampleStore& store, std::string publicBase)
    : store_(store), publicBase_(publicBase), soap_(store, publicBase), pictures_(store), documents_(store) {}

std::vector<std::string> RequestRouter::pathFaults(const std::string& path) const {
    std::vector<std::string> specs;
    for (const std::string& line : store_.faults("http")) {
        size_t space = line.find(' ');
        if (space != std::string::npos && startsWith(path, line.substr(0, space)))
            specs.push_back(line.substr(space + 1));
    }
    return specs;
}

HttpReply RequestRouter::route(const HttpRequest& request) {
    try {
        std::vector<std::string> faults = pathFaults(request.path());
        int delay = 0, trickle = 0;
        for (const std::string& spec : faults) {
            if (startsWith(spec, "slow:")) delay = std::clamp(std::atoi(spec.c_str() + 5), 0, 600000);
            if (startsWith(spec, "trickle:")) trickle = std::clamp(std::atoi(spec.c_str() + 8), 1, 600000);
        }
        const auto has = [&faults](const char* name) {
            return std::find(faults.begin(), faults.end(), name) != faults.end();
        };
        HttpReply reply;
        if (std::find(faults.begin(), faults.end(), "http-500") != faults.end())
            reply = HttpReply::text(500, "internal server error\n");
        else if (std::find(faults.begin(), faults.end(), "not-found") != faults.end())
            reply = HttpReply::notFound();
        else if (has("error-page"))
            // What a captive portal or a misconfigured proxy answers in place of a picture.
            reply = html(
                "<!DOCTYPE html><html><body><h1>Please sign in to the school network</h1></body></html>");
        else
            reply = dispatch(request);
        // The first half of the real reply with a matching length: a file that arrives whole
        // but is damaged.
        if (has("damaged") && reply.status == 200) reply.body.resize(reply.body.size() / 2);
        reply.delayMs = std::max(reply.delayMs, delay);
        reply.trickleMs = trickle;
        reply.cutOff = std::find(faults.begin(), faults.end(), "cut-off") != faults.end();
        return reply;
    } catch (const std::exception& error) {
        return HttpReply::text(500, std::string("internal error: ") + error.what() + "\n");
    }
}

HttpReply RequestRouter::dispatch(const HttpRequest& request) {
    const std::string path = request.path();
    if (lower(path) == "/lmv-inclass/lmvinclass.asmx") return soap_.handle(request);
    if (request.method != "GET" && request.method != "HEAD")
        return HttpReply::text(405, "method not allowed\n");

    if (startsWith(path, "/api/media/")) {
        std::vector<std::string> parts = split(path.substr(11), '/');
        if (parts.size() == 2) return mediaReference(parts[0], demo::percentDecode(parts[1]));
        return HttpReply::notFound();
    }
    if (path == "/mediaplayerhtml/index.html" || path == "/mediaplayerhtml/index_test.html")
        return player(request);
    // The player page reports each call of its script functions here; the log keeps them.
    if (path == "/mediaplayerhtml/calls") return HttpReply::text(204, "");
    if (startsWith(path, "/media/audio/") && path.size() > 17 && path.substr(path.size() - 4) == ".wav") {
        HttpReply reply = HttpReply::text(200, WaveSynth::melody(path));
        reply.contentType = "audio/wav";
        return reply;
    }
    if (path == "/homework/pdf") {
        auto pdf = documents_.homeworkPdf(demo::percentDecode(request.query("homeworkid")),
                                          demo::percentDecode(request.query("userid")));
        if (!pdf) return HttpReply::notFound();
        HttpReply reply = HttpReply::text(200, *pdf);
        reply.contentType = "application/pdf";
        return reply;
    }
    if (startsWith(path, "/homework/classlist/")) {
        auto page = documents_.classFeedback(demo::percentDecode(path.substr(20)));
        return page ? html(*page) : HttpReply::notFound();
    }
    if (path == "/homework/source") {
        auto page = documents_.testPaper(demo::percentDecode(request.query("sourceid")),
                                         demo::percentDecode(request.query("userid")));
        return page ? html(*page) : HttpReply::notFound();
    }
    if (startsWith(path, "/question/index/")) {
        auto page = documents_.question(demo::percentDecode(path.substr(16)));
        return page ? html(*page) : HttpReply::notFound();
    }
    if (path == "/api/zavive/RealNameAuthentication") return accountNotification(request);
    if (startsWith(path, "/syllabus/") && path.size() > 23 &&
        path.substr(path.size() - 13) == "_subjects.xml") {
        std::string name = demo::percentDecode(path.substr(10));
        if (!SampleStore::isSafeName(name)) return HttpReply::notFound();
        auto text = store_.readFile("syllabus/" + name);
        if (!text) return HttpReply::notFound();
        HttpReply reply = HttpReply::text(200, *text);
        reply.contentType = "text/xml; charset=utf-8";
        return reply;
    }
    if (startsWith(path, "/content/")) {
        auto picture = pictures_.picture(path);
        if (!picture) return HttpReply::notFound();
        HttpReply reply = HttpReply::text(200, picture->bytes);
        reply.contentType = picture->contentType;
        return reply;
    }
    if (path == "/")
        return html(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Lumovia Class demo</title></head>"
            "<body><h1>Lumovia Class demo service</h1><p>SOAP endpoint: /lmv-inclass/lmvInclass.asmx</p>"
            "</body></html>");
    return HttpReply::notFound();
}

HttpReply RequestRouter::mediaReference(const std::string& kind, const std::string& id) const {
    if (std::find(std::begin(kMediaKinds), std::end(kMediaKinds), kind) == std::end(kMediaKinds) ||
        id.empty())
        return HttpReply::notFound();
    auto table = store_.readFile("media.txt");
    if (!table) return HttpReply::notFound();
    for (const std::string& line : split(*table, '\n')) {
        std::vector<std::string> fields = split(line, '\t');
        if (fields.size() >= 3 && fields[0] == kind && fields[1] == id) {
            std::string reference = fields[2];
            for (size_t at = reference.find("${content}"); at != std::string::npos;
                 at = reference.find("${content}"))
                reference.replace(at, 10, publicBase_);
            return HttpReply::text(200, reference);
        }
    }
    return HttpReply::notFound();
}

HttpReply RequestRouter::player(const HttpRequest& request) const {
    // The client appends the reference unencoded as the last key, so it runs to the end.
    std::string url;
    if (size_t at = request.target.find("url="); at != std::string::npos) url = request.target.substr(at + 4);
    PlayerPage::Material material;
    if (auto table = store_.readFile("media.txt")) {
        for (const std::string& line : split(*table, '\n')) {
            std::vector<std::string> fields = split(line, '\t');
            if (fields.size() < 3) continue;
            std::string reference = fields[2];
            if (size_t at = reference.find("${content}"); at != std::string::npos)
                reference.replace(at, 10, publicBase_);
            if (reference != url && reference != demo::percentDecode(url)) continue;
            if (fields.size() >= 4) material.title = fields[3];
            if (fields.size() >= 5) material.subtitles = split(fields[4], '|');
            break;
        }
    }
    return html(PlayerPage::html(demo::percentDecode(request.query("type")),
                                 demo::percentDecode(request.query("media")),
                                 demo::percentDecode(request.query("width")), url, material));
}

HttpReply RequestRouter::accountNotification(const HttpRequest& request) {
    std::lock_guard lock(accountMutex_);
    std::ofstream out(store_.stateDir() / "account-notifications.log", std::ios::app);
    out << "device=" << request.query("device") << " userid=" << request.query("userid")
        << " account=" << request.query("account") << '\n';
    HttpReply reply = HttpReply::text(200, "{\"code\":0,\"message\":\"ok\"}");
    reply.contentType = "application/json; charset=utf-8";
    reply.operation = "account-notification";
    return reply;
}
