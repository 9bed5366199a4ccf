#include "SoapService.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "DemoEncoding.h"

namespace {

constexpr const char* kEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr const char* kGb2312Declaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";

enum class Kind { Text, Bytes };

struct Operation {
    const char* name;
    Kind kind;
    std::vector<const char*> parameters;
    // The arguments whose values, joined with "_", name a dataset variant.
    std::vector<const char*> keys;
};

const std::vector<Operation>& operations() {
    static const std::vector<Operation> table = {
        {"LmvInclass_LogOn", Kind::Text, {"email", "password"}, {}},
        {"LmvInclass_GetTeacherSetting", Kind::Text, {"userid"}, {"userid"}},
        {"LmvInclass_GetBookList", Kind::Text, {"subjectid"}, {"subjectid"}},
        {"LmvInclass_GetPageList", Kind::Text, {"bookid", "baseurl"}, {"bookid"}},
        {"LmvInclass_GetQuestionType", Kind::Text, {"memberid"}, {}},
        {"LmvInclass_GetWordFamilyList", Kind::Text, {"userid"}, {}},
        {"LmvInclass_GetUnitList", Kind::Text, {"userid", "subject"}, {}},
        {"LmvInclass_GetMiniLectureTextJsonList",
         Kind::Bytes,
         {"userid", "syllabusid", "bookid"},
         {"bookid"}},
        {"LmvInclass_GetPassageTextJsonList", Kind::Bytes, {"userid", "syllabusid", "bookid"}, {"bookid"}},
        {"LmvInclass_GetStoreList", Kind::Text, {"userid", "subject"}, {}},
        {"LmvInclass_GetQuestionTypeList", Kind::Text, {"userid", "subject"}, {}},
        {"LmvInclass_GetKnowledgeList", Kind::Text, {"userid", "subject"}, {}},
        {"LmvInclass_GetAbilityList", Kind::Text, {"userid", "subject"}, {}},
        {"LmvInclass_GetSceneTextJsonList", Kind::Bytes, {"userid", "syllabusid", "bookid"}, {"bookid"}},
        {"LmvInclass_GetsyllabusWordList", Kind::Bytes, {"userid", "syllabusid", "bookid"}, {"bookid"}},
        {"LmvInclass_GetTestList", Kind::Text, {"userid", "subject", "Testtypeid"}, {"userid"}},
        {"LmvInclass_GetClipList", Kind::Text, {"userid", "subject", "packageid"}, {"packageid"}},
        {"LmvInclass_GetQuestionList",
         Kind::Text,
         {"userid", "subject", "testpaperid", "storeids", "questiontypeids", "knowledgeids", "abilityids",
          "keywords", "testpaperstatus"},
         {}},
        {"LmvInclass_UpdatePageSize", Kind::Text, {"pageid", "bookid", "width", "height"}, {}},
        {"LmvInclass_GetDialoguePartList", Kind::Text, {"userid", "DialogueId"}, {}},
        {"LmvInclass_GetTestTypeList", Kind::Text, {"userid"}, {}},
        {"LmvInclass_GetAllTestPaperList", Kind::Text, {"userid", "testtypeid"}, {}},
        {"LmvInclass_GetDialogueList", Kind::Text, {"userid"}, {}},
        {"LmvInclass_GetSectionList", Kind::Text, {"userid", "subject", "unitcode"}, {"unitcode"}},
        {"LmvInclass_getQuestionListFromaSection",
         Kind::Text,
         {"userid", "subject", "unitcode", "sectionid"},
         {"unitcode", "sectionid"}},
    };
    return table;
}

const Operation* findOperation(const std::string& name) {
    for (const Operation& op : operations())
        if (name == op.name) return &op;
    return nullptr;
}

bool hasFault(const std::vector<std::string>& faults, const std::string& name) {
    return std::find(faults.begin(), faults.end(), name) != faults.end();
}

bool isDecimal(const std::string& text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string localName(xmlNodePtr node) {
    return reinterpret_cast<const char*>(node->name);
}

std::string namespaceOf(xmlNodePtr node) {
    return node->ns && node->ns->href ? reinterpret_cast<const char*>(node->ns->href) : "";
}

xmlNodePtr firstElement(xmlNodePtr node) {
    for (xmlNodePtr child = node ? node->children : nullptr; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE) return child;
    return nullptr;
}

// A dataset whose ten nested entities would grow one value to ten billion bytes.
std::string billionLaughs() {
    std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE NewDataSet [\n<!ENTITY a \"lol\">\n";
    for (char name = 'b'; name <= 'k'; ++name) {
        text += std::string("<!ENTITY ") + name + " \"";
        for (int i = 0; i < 10; ++i) text += std::string("&") + char(name - 1) + ";";
        text += "\">\n";
    }
    return text + "]>\n<NewDataSet><Table bookid=\"&k;\" bookname=\"&k;\" Title=\"&k;\" /></NewDataSet>";
}

// A dataset that names a local file as an external entity in its values and content.
std::string externalEntity(const std::string& path) {
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE NewDataSet [<!ENTITY x SYSTEM \"file://" + path +
           "\">]>\n<NewDataSet><Table bookid=\"b-x\" bookname=\"&x;\" Title=\"&x;\">&x;</Table></NewDataSet>";
}

// A reply whose XML is cut in the middle of a row, as a broken service would send it.
std::string truncatedXml(const std::string& text) {
    std::string cut = text.substr(0, text.size() / 2);
    if (cut.find("<Table") == std::string::npos) cut = "<NewDataSet><Table bookid=\"1\" bookname=";
    return cut;
}

}  // namespace

std::string SoapService::Call::argument(const std::string& name) const {
    auto it = arguments.find(name);
    return it == arguments.end() ? std::string() : it->second;
}

SoapService::SoapService(SampleStore& store, std::string publicBase)
    : store_(store), publicBase_(std::move(publicBase)) {}

std::vector<std::string> SoapService::operationNames() {
    std::vector<std::string> names;
    for (const Operation& op : operations()) names.emplace_back(op.name);
    return names;
}

HttpReply SoapService::handle(const HttpRequest& request) const {
    if (request.method != "POST") {
        HttpReply reply = HttpReply::text(405, "the classroom endpoint takes SOAP 1.1 POST requests\n");
        reply.headers.emplace_back("Allow", "POST");
        return reply;
    }
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(
        xmlReadMemory(request.body.data(), static_cast<int>(request.body.size()), "request.xml", nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    if (!doc)
        return fault("soap:Client", "Server was unable to read request. There is an error in XML document.",
                     "");
    xmlNodePtr root = xmlDocGetRootElement(doc.get());
    if (!root || localName(root) != "Envelope" || namespaceOf(root) != kEnvelopeNs)
        return fault("soap:VersionMismatch", "The request is not a SOAP 1.1 envelope.", "");
    xmlNodePtr body = nullptr;
    for (xmlNodePtr child = root->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && localName(child) == "Body" &&
            namespaceOf(child) == kEnvelopeNs)
            body = child;
    xmlNodePtr element = firstElement(body);
    if (!element) return fault("soap:Client", "The SOAP body holds no operation element.", "");

    Call call;
    call.operation = localName(element);
    std::string action = request.header("soapaction");
    if (action.size() >= 2 && action.front() == '"' && action.back() == '"')
        action = action.substr(1, action.size() - 2);
    const Operation* op = findOperation(call.operation);
    if (!op || namespaceOf(element) != kNamespace)
        return fault("soap:Client", "Server did not recognize the request element " + call.operation + ".",
                     call.operation);
    if (action != std::string(kNamespace) + call.operation)
        return fault("soap:Client",
                     "Server did not recognize the value of HTTP Header SOAPAction: " + action + ".",
                     call.operation);
    for (xmlNodePtr child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        xmlChar* text = xmlNodeGetContent(child);
        call.arguments[localName(child)] = text ? reinterpret_cast<const char*>(text) : "";
        xmlFree(text);
    }
    try {
        return answer(call);
    } catch (const std::exception& error) {
        return fault("soap:Server", std::string("Server was unable to process request. ") + error.what(),
                     call.operation);
    }
}

HttpReply SoapService::answer(const Call& call) const {
    const Operation* op = findOperation(call.operation);
    const std::vector<std::string> faults = store_.faults(call.operation);
    int delay = 0;
    for (const std::string& line : faults)
        if (line.rfind("slow:", 0) == 0) delay = std::clamp(std::atoi(line.c_str() + 5), 0, 600000);

    auto entityFault = std::find_if(faults.begin(), faults.end(),
                                    [](const std::string& l) { return l.rfind("external-entity:", 0) == 0; });
    // A hostile dataset in place of the real one, in the reply text or inside the gzip.
    auto hostile = [&](std::string text) {
        if (hasFault(faults, "billion-laughs")) return billionLaughs();
        if (entityFault != faults.end()) return externalEntity(entityFault->substr(16));
        return text;
    };

    HttpReply reply;
    if (hasFault(faults, "http-500")) {
        reply = HttpReply::text(500, "<html><body><h1>500 Internal Server Error</h1></body></html>");
        reply.contentType = "text/html; charset=utf-8";
    } else if (auto it = std::find_if(faults.begin(), faults.end(),
                                      [](const std::string& l) { return l.rfind("soap-fault:", 0) == 0; });
               it != faults.end()) {
        reply = fault("soap:Server", it->substr(11), call.operation);
    } else if (hasFault(faults, "not-xml")) {
        reply = HttpReply::text(200, "Service temporarily unavailable\n");
    } else if (op->kind == Kind::Text) {
        std::string text;
        if (call.operation == "LmvInclass_LogOn")
            text = logOn(call);
        else if (call.operation == "LmvInclass_UpdatePageSize")
            text = updatePageSize(call);
        else
            text = datasetText(call, false);
        if (hasFault(faults, "invalid-xml")) text = truncatedXml(text);
        reply = envelope(call.operation, hostile(text));
    } else {
        std::string text = hostile(datasetText(call, true));
        if (hasFault(faults, "invalid-xml")) text = truncatedXml(text);
        // The mini-lecture catalogue is sent as UTF-8; the others as GBK, as they are declared.
        std::string bytes =
            call.operation == "LmvInclass_GetMiniLectureTextJsonList" ? text : demo::utf8ToGbk(text);
        std::string gzip = demo::gzipCompress(bytes);
        if (hasFault(faults, "corrupt-gzip")) {
            // A sound header followed by bytes that are no deflate stream.
            gzip = gzip.substr(0, 10) + std::string("\xff\xfe\xfd\xfc\x00\x01\x02\x03\xde\xad\xbe\xef", 12);
        }
        // About 260 KiB that inflate to 257 MiB, one past the client's cap of 256 MiB.
        if (hasFault(faults, "gzip-bomb")) {
            static const std::string bomb = demo::gzipZeros(std::size_t(257) << 20);
            gzip = bomb;
        }
        // About 260 KiB that inflate to 256 MiB, within the cap, of some 67 million empty rows.
        if (hasFault(faults, "element-bomb")) {
            static const std::string bomb = [] {
                const std::string_view head = "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>";
                const std::string_view tail = "</NewDataSet>";
                const std::size_t rows = ((std::size_t(256) << 20) - head.size() - tail.size()) / 4;
                return demo::gzipRepeated(head, "<a/>", rows, tail);
            }();
            gzip = bomb;
        }
        reply = envelope(call.operation, demo::base64Encode(gzip));
    }
    reply.delayMs = delay;
    reply.operation = call.operation;
    return reply;
}

std::string SoapService::logOn(const Call& call) const {
    auto path = store_.findFile("members.xml");
    if (!path) return "0";
    SampleDataset members = SampleDataset::load(path->string());
    const std::string account = call.argument("email");
    const std::string password = call.argument("password");
    for (const SampleDataset::Row& row : members.rows()) {
        if (row.value("demo-account") != account || account.empty()) continue;
        const std::string plain = row.value("demo-password");
        // The login dialog sends the digest of the GBK bytes; the direct sign-in the text as given.
        if (password != plain && password != demo::md5Hex(demo::utf8ToGbk(plain))) return "0";
        SampleDataset::Row reply;
        for (const auto& attribute : row.attributes)
            if (attribute.first.rfind("demo-", 0) != 0) reply.attributes.push_back(attribute);
        std::string text = "<NewDataSet><Table";
        for (const auto& [key, value] : reply.attributes)
            text += " " + key + "=\"" + demo::xmlEscape(value) + "\"";
        text += " /></NewDataSet>";
        return demo::isAscii(text) ? text : std::string(kGb2312Declaration) + text;
    }
    return "0";
}

std::string SoapService::updatePageSize(const Call& call) const {
    const std::string pageid = call.argument("pageid");
    const std::string bookid = call.argument("bookid");
    const std::string width = call.argument("width");
    const std::string height = call.argument("height");
    // Only a measured size of a page the book has is stored; anything else is refused.
    if (!isDecimal(width, 6) || !isDecimal(height, 6) || std::stol(width) == 0 || std::stol(height) == 0)
        return "0";
    if (!SampleStore::isSafeName(bookid) || !SampleStore::isSafeName(pageid) ||
        pageid.find_first_of(" \t\r\n") != std::string::npos ||
        bookid.find_first_of(" \t\r\n") != std::string::npos)
        return "0";
    auto pages = store_.dataset("LmvInclass_GetPageList", bookid);
    if (!pages) return "0";
    auto trimmed = [](std::string text) {
        text.erase(0, text.find_first_not_of(" \t\r\n"));
        text.erase(text.find_last_not_of(" \t\r\n") + 1);
        return text;
    };
    bool known = false;
    for (const SampleDataset::Row& row : pages->rows())
        known = known || (trimmed(row.value("pageid")) == pageid && trimmed(row.value("bookid")) == bookid);
    if (!known) return "0";
    store_.storePageSize(bookid, pageid, std::to_string(std::stol(width)), std::to_string(std::stol(height)));
    return "1";
}

std::string SoapService::datasetKey(const Call& call) const {
    const Operation* op = findOperation(call.operation);
    std::string key;
    for (const char* name : op->keys) key += (key.empty() ? "" : "_") + call.argument(name);
    return key;
}

std::string SoapService::datasetText(const Call& call, bool forBytes) const {
    std::optional<SampleDataset> dataset = store_.dataset(call.operation, datasetKey(call));
    std::map<std::string, std::string> placeholders = {{"content", publicBase_}};
    std::string baseurl = call.argument("baseurl");
    bool usable = (baseurl.rfind("http://", 0) == 0 || baseurl.rfind("https://", 0) == 0) &&
                  baseurl.find_first_of("\"<>& \t\r\n") == std::string::npos;
    placeholders["baseurl"] = usable ? baseurl : publicBase_;

    SampleDataset::Declaration declaration = SampleDataset::Declaration::Auto;
    std::string xml = "<NewDataSet />";
    if (dataset) {
        if (call.operation == "LmvInclass_GetPageList") {
            const std::string bookid = call.argument("bookid");
            for (SampleDataset::Row& row : dataset->rows()) {
                std::string id = row.value("pageid");
                id.erase(0, id.find_first_not_of(" \t\r\n"));
                id.erase(id.find_last_not_of(" \t\r\n") + 1);
                auto size = store_.pageSize(bookid, id);
                if (!size) continue;
                for (auto& [key, value] : row.attributes) {
                    if (key == "width")
                        value = size->first;
                    else if (key == "height")
                        value = size->second;
                }
            }
        }
        declaration = dataset->declaration();
        xml = dataset->toXml(placeholders);
    }
    if (forBytes) {
        if (call.operation == "LmvInclass_GetMiniLectureTextJsonList") return xml;
        return std::string(kGb2312Declaration) + xml;
    }
    // The client always puts its own declaration before the teacher setting.
    if (call.operation == "LmvInclass_GetTeacherSetting") return xml;
    bool declare = declaration == SampleDataset::Declaration::Gb2312 ||
                   (declaration == SampleDataset::Declaration::Auto && !demo::isAscii(xml));
    return declare ? std::string(kGb2312Declaration) + xml : xml;
}

HttpReply SoapService::envelope(const std::string& operation, const std::string& resultText) {
    HttpReply reply;
    reply.contentType = "text/xml; charset=utf-8";
    reply.body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
        "<soap:Body><" +
        operation + "Response xmlns=\"" + kNamespace + "\"><" + operation + "Result>" +
        demo::xmlEscape(resultText) + "</" + operation + "Result></" + operation +
        "Response></soap:Body></soap:Envelope>";
    return reply;
}

HttpReply SoapService::fault(const std::string& code, const std::string& text, const std::string& operation) {
    HttpReply reply;
    reply.status = 500;
    reply.contentType = "text/xml; charset=utf-8";
    reply.operation = operation;
    reply.body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
        "<soap:Body><soap:Fault><faultcode>" +
        code + "</faultcode><faultstring>" + demo::xmlEscape(text) +
        "</faultstring><detail /></soap:Fault></soap:Body></soap:Envelope>";
    return reply;
}
