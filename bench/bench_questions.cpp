// The question bank's two hot paths, each beside its reference on the same data:
// - one test paper search over 5,000 papers (the button; the drop-downs and the keyword box run
//   the same search), with nothing set (every paper listed) and with a keyword;
// - reading a 2,000-row question reply into the question list, against the bare dataset parse of
//   the same reply (the parse alone, and the parse with every row read into its record).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <algorithm>
#include <ctime>
#include <vector>

#include "BenchSupport.h"
#include "WidgetBenchMain.h"
#include "catalogue/TquestionObj.h"
#include "questions/QuestionBankPage.h"
#include "questions/ReadQuestionList.h"
#include "service/ClientConfig.h"
#include "service/HTTPRIOLmvInClass.h"
#include "service/TReplyDataset.h"

namespace {

const char* const kAreas[] = {"北京", "上海", "浙江", "广东", "全国", "江苏", "四川"};
const char* const kTypes[] = {"期中", "期末", "模拟", "单元"};

void fillPapers(TObjectList<TDictonaryTestPaperObj>& papers) {
    for (int i = 0; i < 5000; ++i) {
        TDictonaryTestPaperObj paper;
        paper.testpaperid = GbkString("tp" + std::to_string(i));
        const std::string year = i % 9 == 0 ? "0" : std::to_string(2010 + i % 14);
        paper.testyear = GbkString(year);
        const std::string area = kAreas[i % 7];
        const std::string type = kTypes[i % 4];
        paper.testpapername = gbk::fromUtf8(year + " " + area + "英语" + type + "试卷 Unit " +
                                            std::to_string(i % 12) + " 第" + std::to_string(i) + "套");
        paper.testarea = gbk::fromUtf8(area);
        paper.testtype = gbk::fromUtf8(type);
        paper.testpaperstatus = i % 5 == 0 ? "2" : "1";
        papers.Add(paper);
    }
}

// About 2,000 rows of the reply's 35 attributes, Chinese text in several, without declaration
// as the service sends it (the reader adds the GB2312 line).
const GbkString& questionReply() {
    static const GbkString text = [] {
        std::string utf8 = "<NewDataSet>\n";
        for (int i = 0; i < 2000; ++i) {
            const std::string n = std::to_string(100000 + i);
            utf8 +=
                "  <Table qid=\"" + n + "\" qtpid=\"" + std::to_string(i % 4 + 1) +
                "\" typetext=\"单选题\" rc=\"12\" wc=\"3\" rt=\"" + std::to_string(i % 5 + 1) +
                "\" q_identity=\"Q" + n + "\" questiontext=\"Choose the right word: I ___ a student. (" + n +
                ")\" questionfile=\"\" solutiontext=\"A\" solutionfile=\"\" option1text=\"am\" "
                "option1file=\"\" "
                "option2text=\"is\" option2file=\"\" option3text=\"are\" option3file=\"\" option4text=\"be\" "
                "option4file=\"\" option5text=\"\" option5file=\"\" qorosectionid=\"b3a-u1-sec1\" "
                "creatorid=\"t1001\" createdate=\"2023-09-01\" correct_rate=\"0.8\" explain=\"主语是 I，用 "
                "am。\" "
                "explainfile=\"\" status=\"1\" sourceid=\"tp001\" remark=\"\" canpublish=\"1\" score=\"2\" "
                "source_sequence=\"" +
                std::to_string(i) + "\" question_sequence=\"" + std::to_string(i) +
                "\" difficultyid=\"1\" />\n";
        }
        utf8 += "</NewDataSet>\n";
        return gbk::fromUtf8(utf8);
    }();
    return text;
}

struct Page {
    ClientConfig config;
    HTTPRIOLmvInClass service;  // never called here
    MemberInfoRec member;
    TObjectList<TDictonaryTestPaperObj> papers;
    QuestionBankPage page{service, config, member, papers, [] { return nullptr; }};
    Page() { fillPapers(papers); }
};

Page& page() {
    static Page instance;
    return instance;
}

void TestPaperSearchEveryPaper(benchmark::State& state) {
    QuestionBankPage& bank = page().page;
    bank.EditSearch->clear();
    for (auto _ : state) bank.Button61Click();
    if (bank.CBTestPaper->count() != 5000) state.SkipWithError("not every paper listed");
}

void TestPaperSearchKeyword(benchmark::State& state) {
    QuestionBankPage& bank = page().page;
    bank.EditSearch->setText(QStringLiteral("Unit 3 "));
    for (auto _ : state) bank.Button61Click();
    state.counters["found"] = bank.CBTestPaper->count();
    bank.EditSearch->clear();
}

void QuestionReplyBareParse(benchmark::State& state) {
    const GbkString& text = questionReply();
    for (auto _ : state) {
        const TReplyDataset dataset = ParseReplyDataset(text, DeclarationRule::PrefixIfMissing);
        benchmark::DoNotOptimize(dataset.firstRow().isNull());
    }
}

void QuestionReplyParseAndRecords(benchmark::State& state) {
    const GbkString& text = questionReply();
    for (auto _ : state) {
        const TReplyDataset dataset = ParseReplyDataset(text, DeclarationRule::PrefixIfMissing);
        std::size_t rows = 0;
        for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next()) {
            const TquestionObj record = TquestionObj::fromRow(row);
            rows += record.qid.size();
        }
        benchmark::DoNotOptimize(rows);
    }
}

void QuestionReplyIntoList(benchmark::State& state) {
    const GbkString& text = questionReply();
    QuestionBankPage& bank = page().page;
    for (auto _ : state) ReadQuestionList(text, bank.VantorquestionListView, bank.QuestionTypeList, "0");
    if (bank.VantorquestionListView->topLevelItemCount() != 2000) state.SkipWithError("rows missing");
}

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The reader and the bare parse in pairs, alternating which goes first, on this thread's CPU
// time, so that a machine busy with other work slows both alike; the medians of each side and
// of the per-pair ratios.
void QuestionReplySideBySide(benchmark::State& state) {
    const GbkString& text = questionReply();
    QuestionBankPage& bank = page().page;
    std::vector<double> parse, list, ratios;
    int round = 0;
    for (auto _ : state) {
        double parseMs = 0, listMs = 0;
        for (int side = 0; side < 2; ++side) {
            const double start = threadCpuMs();
            if ((side + round) % 2 == 0) {
                const TReplyDataset dataset = ParseReplyDataset(text, DeclarationRule::PrefixIfMissing);
                benchmark::DoNotOptimize(dataset.firstRow().isNull());
                parseMs = threadCpuMs() - start;
            } else {
                ReadQuestionList(text, bank.VantorquestionListView, bank.QuestionTypeList, "0");
                listMs = threadCpuMs() - start;
            }
        }
        ++round;
        parse.push_back(parseMs);
        list.push_back(listMs);
        ratios.push_back(listMs / parseMs);
    }
    state.counters["parse_ms"] = median(parse);
    state.counters["list_ms"] = median(list);
    state.counters["ratio"] = median(ratios);
}

}  // namespace

BENCHMARK(QuestionReplySideBySide)->Unit(benchmark::kMillisecond)->Iterations(31);
BENCHMARK(TestPaperSearchEveryPaper)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(TestPaperSearchKeyword)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(QuestionReplyBareParse)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(QuestionReplyParseAndRecords)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(QuestionReplyIntoList)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
