#include "DocumentPages.h"

#include <QBuffer>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "DemoEncoding.h"

namespace fs = std::filesystem;

namespace {

std::string trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(" \t\r\n"));
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    return text;
}

std::string h(const std::string& text) {
    return demo::xmlEscape(text);
}

std::string page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>" + h(title) +
           "</title><style>body{font-family:\"Noto Sans CJK SC\",sans-serif;margin:24px;color:#222}"
           "table{border-collapse:collapse}td,th{border:1px solid #aaa;padding:4px 10px}"
           "h1{color:#2a4d8f}.q{margin:14px 0}.opt{margin-left:24px}</style></head><body>" +
           body + "</body></html>\n";
}

const char* kSampleQuestions[] = {
    "1. Choose the right word: I ___ a student. (am / is / are)  选择正确的单词。",
    "2. Read and match: apple — 苹果, banana — 香蕉, orange — 橙子.",
    "3. Listen and write: What colour is the bag? It is ______.",
    "4. Translate: 我每天七点起床。",
    "5. Write three sentences about your family. 用三句话介绍你的家人。",
};

}  // namespace

DocumentPages::DocumentPages(const SampleStore& store) : store_(store) {}

std::optional<SampleDataset::Row> DocumentPages::findRow(const std::string& operation,
                                                         const std::string& attribute,
                                                         const std::string& value) const {
    if (value.empty()) return std::nullopt;
    for (const fs::path& file : store_.allDatasetFiles()) {
        bool matches = file.stem() == operation || file.parent_path().filename() == operation;
        if (!matches) continue;
        try {
            const SampleDataset dataset = SampleDataset::load(file.string());
            for (const SampleDataset::Row& row : dataset.rows())
                if (trimmed(row.value(attribute)) == value) return row;
        } catch (const std::exception&) {
        }
    }
    return std::nullopt;
}

std::optional<std::string> DocumentPages::homeworkPdf(const std::string& homeworkId,
                                                      const std::string& userId) {
    auto row = findRow("LmvInclass_GetTestList", "hmwkid", homeworkId);
    if (!row) return std::nullopt;
    std::lock_guard lock(pdfMutex_);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(150);
        writer.setTitle(QString::fromStdString(trimmed(row->value("hmwkname"))));
        writer.setCreator(QStringLiteral("Lumovia Class demo service"));
        QPainter p(&writer);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(40);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(80, 80, 1080, 70), Qt::AlignLeft,
                   QString::fromStdString(trimmed(row->value("hmwkname"))));
        font.setPixelSize(24);
        font.setBold(false);
        p.setFont(font);
        p.drawText(QRect(80, 170, 1080, 40), Qt::AlignLeft,
                   QStringLiteral("作业编号 Homework %1    学生 User %2    截止 Due %3")
                       .arg(QString::fromStdString(homeworkId), QString::fromStdString(userId),
                            QString::fromStdString(trimmed(row->value("endtime")))));
        p.drawText(QRect(80, 220, 1080, 40), Qt::AlignLeft,
                   QString::fromStdString(trimmed(row->value("msg"))));
        p.drawLine(80, 280, 1160, 280);
        int y = 320;
        for (const char* question : kSampleQuestions) {
            p.drawText(QRect(80, y, 1080, 120), Qt::AlignLeft | Qt::TextWordWrap,
                       QString::fromUtf8(question));
            p.drawLine(110, y + 100, 1100, y + 100);
            y += 160;
        }
    }
    return bytes.toStdString();
}

std::optional<std::string> DocumentPages::classFeedback(const std::string& homeworkId) const {
    auto row = findRow("LmvInclass_GetTestList", "hmwkid", homeworkId);
    if (!row) return std::nullopt;
    static const char* students[] = {"王小明", "李华",     "张伟", "Emma Liu",
                                     "陈静",   "Tom Zhao", "刘洋", "赵敏"};
    std::string body = "<h1>反馈分析 Class feedback</h1><p>" + h(trimmed(row->value("hmwkname"))) +
                       "</p><table><tr><th>学生 Student</th><th>得分 Score</th><th>用时 Time</th></tr>";
    size_t seed = std::hash<std::string>{}(homeworkId);
    int total = 0, count = 0;
    for (const char* student : students) {
        int score = 60 + static_cast<int>((seed >> (count * 4)) % 41);
        total += score;
        body += "<tr><td>" + h(student) + "</td><td>" + std::to_string(score) + "</td><td>" +
                std::to_string(8 + count * 3) + " min</td></tr>";
        ++count;
    }
    body += "</table><p>平均分 Average: " + std::to_string(total / count) + "</p>";
    return page("反馈分析", body);
}

std::optional<std::string> DocumentPages::testPaper(const std::string& sourceId,
                                                    const std::string& userId) const {
    auto row = findRow("LmvInclass_GetAllTestPaperList", "testpaperid", sourceId);
    if (!row) return std::nullopt;
    std::string body = "<h1>" + h(trimmed(row->value("testpapername"))) + "</h1><p>" +
                       h(trimmed(row->value("testyear"))) + " · " + h(trimmed(row->value("testarea"))) +
                       " · " + h(trimmed(row->value("testtype"))) + " (" +
                       h(trimmed(row->value("testtype_english"))) + ")</p><p>试卷 Paper " + h(sourceId) +
                       " · 用户 User " + h(userId) + "</p>";
    for (const char* question : kSampleQuestions) body += "<div class=\"q\">" + h(question) + "</div>";
    return page(trimmed(row->value("testpapername")), body);
}

std::optional<std::string> DocumentPages::question(const std::string& questionId) const {
    const char* operation = "LmvInclass_getQuestionListFromaSection";
    auto row = findRow(operation, "qid", questionId);
    if (!row) row = findRow(operation, "questionid", questionId);
    if (!row) return std::nullopt;
    std::string body = "<h1>题目 Question " + h(questionId) + "</h1><p>" +
                       h(trimmed(row->value("typetext"))) + "</p><div class=\"q\">" +
                       h(trimmed(row->value("questiontext"))) + "</div>";
    for (int i = 1; i <= 5; ++i) {
        std::string option = trimmed(row->value("option" + std::to_string(i) + "text"));
        if (!option.empty())
            body += "<div class=\"opt\">" + std::string(1, static_cast<char>('A' + i - 1)) + ". " +
                    h(option) + "</div>";
    }
    std::string solution = trimmed(row->value("solutiontext"));
    if (!solution.empty()) body += "<p>答案 Answer: " + h(solution) + "</p>";
    std::string explain = trimmed(row->value("explain"));
    if (!explain.empty()) body += "<p>解析 Explanation: " + h(explain) + "</p>";
    return page("题目 " + questionId, body);
}
