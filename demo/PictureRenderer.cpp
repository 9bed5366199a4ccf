#include "PictureRenderer.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <fstream>
#include <sstream>

#include "DemoEncoding.h"
#include "GifWriter.h"

namespace fs = std::filesystem;

namespace {

// The address part after the placeholder base, e.g. "/content/pages/b1/p001.jpg".
std::string pathOf(const std::string& value) {
    for (const char* base : {"${content}", "${baseurl}"}) {
        std::string prefix = base;
        if (value.rfind(prefix, 0) == 0) return value.substr(prefix.size());
    }
    return {};
}

std::string trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(" \t\r\n"));
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    return text;
}

QString q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

std::string extension(const std::string& path) {
    size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

QImage drawPage(const SampleDataset::Row& page, const std::string& unitTitle, const std::string& unitName) {
    const int width = 1240, height = 1754;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(250, 247, 238));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Scanner traces: a shadow at the binding and a light speckle over the paper.
    QLinearGradient shadow(0, 0, 90, 0);
    shadow.setColorAt(0, QColor(190, 185, 175));
    shadow.setColorAt(1, QColor(250, 247, 238, 0));
    p.fillRect(0, 0, 90, height, shadow);
    QRandomGenerator random(qHash(q(page.value("pagefile"))));
    for (int i = 0; i < 2500; ++i) {
        int gray = 200 + random.bounded(40);
        p.setPen(QColor(gray, gray, gray - 10));
        p.drawPoint(random.bounded(width), random.bounded(height));
    }
    QFont serif("Noto Serif CJK SC");
    QFont sans("Noto Sans CJK SC");
    p.setPen(QColor(40, 60, 110));
    sans.setPixelSize(30);
    p.setFont(sans);
    p.drawText(QRect(120, 60, width - 240, 50), Qt::AlignLeft | Qt::AlignVCenter,
               q(trimmed(page.value("bookname"))));
    p.drawLine(120, 120, width - 120, 120);
    serif.setPixelSize(64);
    serif.setBold(true);
    p.setFont(serif);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRect(120, 170, width - 240, 90), Qt::AlignLeft | Qt::AlignVCenter, q(unitName));
    serif.setPixelSize(48);
    serif.setBold(false);
    p.setFont(serif);
    p.drawText(QRect(120, 270, width - 240, 140), Qt::AlignLeft | Qt::TextWordWrap, q(unitTitle));

    sans.setPixelSize(34);
    p.setFont(sans);
    const QStringList lines = {
        QStringLiteral("Look, listen and say.  看一看，听一听，说一说。"),
        QStringLiteral("Hello! My name is Lily. I am from Hangzhou."),
        QStringLiteral("你好！我叫莉莉，我来自杭州。"),
        QStringLiteral("What colour is your schoolbag? It is blue."),
        QStringLiteral("你的书包是什么颜色的？是蓝色的。"),
        QStringLiteral("Let's sing a song together: one, two, three!"),
    };
    int y = 480;
    for (const QString& line : lines) {
        p.drawText(QRect(140, y, width - 280, 50), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += 70;
    }
    // A picture frame and a few lines of "print" stand for the page's illustrations.
    p.setPen(QPen(QColor(120, 120, 120), 3));
    p.setBrush(QColor(226, 236, 246));
    p.drawRoundedRect(QRect(140, 940, width - 280, 520), 24, 24);
    p.setBrush(QColor(246, 205, 120));
    p.drawEllipse(QPoint(360, 1180), 120, 120);
    p.setBrush(QColor(150, 200, 140));
    p.drawRect(QRect(600, 1100, 380, 240));
    p.setPen(QColor(110, 110, 110));
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRect(140, 1500 + i * 40, width - 280 - i * 160, 14), QColor(180, 180, 175));
    serif.setPixelSize(40);
    p.setFont(serif);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRect(0, height - 130, width, 60), Qt::AlignCenter,
               QStringLiteral("— %1 —").arg(q(trimmed(page.value("pagenumber")))));
    sans.setPixelSize(26);
    p.setFont(sans);
    p.drawText(QRect(0, height - 80, width, 40), Qt::AlignCenter, q(trimmed(page.value("pagename"))));
    return image;
}

QImage drawCard(const std::string& kind, const std::string& caption, const std::string& detail) {
    QImage image(400, 260, QImage::Format_ARGB32);
    QColor base = QColor::fromHsv(static_cast<int>(qHash(q(caption)) % 360), 90, 235);
    image.fill(base);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(base.darker(115));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(330, 60), 90, 90);
    QFont sans("Noto Sans CJK SC");
    sans.setPixelSize(22);
    p.setFont(sans);
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(16, 12, 368, 30), Qt::AlignLeft, q(kind));
    sans.setPixelSize(40);
    sans.setBold(true);
    p.setFont(sans);
    p.setPen(QColor(20, 20, 20));
    p.drawText(QRect(16, 60, 368, 140), Qt::AlignCenter | Qt::TextWordWrap, q(caption));
    sans.setPixelSize(20);
    sans.setBold(false);
    p.setFont(sans);
    p.drawText(QRect(16, 210, 368, 36), Qt::AlignLeft | Qt::AlignVCenter, q(detail));
    return image;
}

std::string encode(const QImage& image, const std::string& path) {
    std::string ext = extension(path);
    if (ext == ".gif") return GifWriter::encode(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (ext == ".png") {
        if (endsWith(path, "-a.png")) {
            // Rounded transparent corners make the alpha channel visible.
            QImage alpha(image.size(), QImage::Format_ARGB32);
            alpha.fill(Qt::transparent);
            QPainter p(&alpha);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(QBrush(image));
            p.setPen(Qt::NoPen);
            p.drawRoundedRect(alpha.rect(), alpha.width() / 8.0, alpha.width() / 8.0);
            p.end();
            alpha.save(&buffer, "PNG");
        } else if (endsWith(path, "-t.png")) {
            QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
            QList<QRgb> colours = indexed.colorTable();
            // The colour of the top left corner becomes fully transparent (a tRNS chunk).
            int corner = indexed.pixelIndex(0, 0);
            colours[corner] =
                qRgba(qRed(colours[corner]), qGreen(colours[corner]), qBlue(colours[corner]), 0);
            indexed.setColorTable(colours);
            indexed.save(&buffer, "PNG");
        } else {
            image.convertToFormat(QImage::Format_RGB32).save(&buffer, "PNG");
        }
    } else {
        image.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", 82);
    }
    return bytes.toStdString();
}

}  // namespace

PictureRenderer::PictureRenderer(const SampleStore& store) : store_(store) {}

std::optional<PictureRenderer::Subject> PictureRenderer::find(const std::string& path) const {
    for (const fs::path& file : store_.allDatasetFiles()) {
        SampleDataset dataset;
        try {
            dataset = SampleDataset::load(file.string());
        } catch (const std::exception&) {
            continue;
        }
        std::string stem = file.parent_path().filename() == "datasets"
                               ? file.stem().string()
                               : file.parent_path().filename().string();
        for (const SampleDataset::Row& row : dataset.rows()) {
            for (const auto& attribute : row.attributes) {
                std::string p = pathOf(trimmed(attribute.second));
                if (p.empty()) continue;
                // Clip rows name their thumbnail without the ".jpg" the client appends.
                if (p == path || (attribute.first == "filename" && p + ".jpg" == path))
                    return Subject{stem, row};
            }
        }
    }
    return std::nullopt;
}

std::optional<PictureRenderer::Picture> PictureRenderer::picture(const std::string& path) {
    std::string ext = extension(path);
    std::string type = ext == ".jpg"   ? "image/jpeg"
                       : ext == ".png" ? "image/png"
                       : ext == ".gif" ? "image/gif"
                                       : "";
    if (type.empty() || path.find("..") != std::string::npos) return std::nullopt;
    std::optional<Subject> subject = find(path);
    if (!subject) return std::nullopt;

    std::string signature = path;
    for (const auto& attribute : subject->row.attributes)
        signature += "\n" + attribute.first + "=" + attribute.second;
    fs::path cacheDir = store_.stateDir() / "pictures";
    fs::path cached = cacheDir / (demo::md5Hex(signature) + ext);

    std::lock_guard lock(mutex_);
    std::error_code ec;
    if (fs::is_regular_file(cached, ec)) {
        std::ifstream in(cached, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return Picture{type, bytes.str()};
    }
    std::string bytes = draw(path, *subject);
    fs::create_directories(cacheDir, ec);
    fs::path temporary = cached;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    fs::rename(temporary, cached, ec);
    return Picture{type, bytes};
}

std::string PictureRenderer::draw(const std::string& path, const Subject& subject) const {
    const SampleDataset::Row& row = subject.row;
    if (subject.dataset == "LmvInclass_GetPageList") {
        // The page belongs to the last unit of its book that starts on or before it.
        std::string unitName = "Starter", unitTitle = "欢迎 Welcome";
        int number = std::atoi(trimmed(row.value("pagenumber")).c_str());
        int best = -1;
        if (auto units = store_.dataset("LmvInclass_GetUnitList")) {
            for (const SampleDataset::Row& unit : units->rows()) {
                if (trimmed(unit.value("bookid")) != trimmed(row.value("bookid"))) continue;
                int start = std::atoi(trimmed(unit.value("pagenumber")).c_str());
                if (start <= number && start > best) {
                    best = start;
                    unitName = trimmed(unit.value("unitname"));
                    unitTitle = trimmed(unit.value("UnitTitle"));
                }
            }
        }
        return encode(drawPage(row, unitTitle, unitName), path);
    }
    std::string caption;
    for (const char* key : {"Title", "Word", "clip_title", "bookname"}) {
        caption = trimmed(row.value(key));
        if (!caption.empty()) break;
    }
    std::string kind = subject.dataset;
    if (kind.rfind("LmvInclass_", 0) == 0) kind = kind.substr(11);
    std::string detail = trimmed(row.value("Title_Chinese"));
    if (detail.empty()) detail = trimmed(row.value("example_chinese"));
    if (detail.empty()) detail = trimmed(row.value("word"));
    return encode(drawCard(kind, caption, detail), path);
}
