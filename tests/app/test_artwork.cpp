// The program's artwork on screens of any pixel density: drawn for the device's pixels at the
// same logical size, showing the same picture as at one device pixel per logical pixel.
#include <QtTest>

#include "DataRows.h"
#include "app/LumoApplication.h"
#include "app/ProductArtwork.h"
#include "main/LogoArtwork.h"
#include "pages/PageArrowArtwork.h"

namespace {

QPixmap render(const QString& artwork, qreal ratio) {
    if (artwork == "product") return ProductArtwork::render(QSize(100, 100), ratio);
    if (artwork == "logo") return LogoArtwork::render(ratio);
    return PageArrowArtwork::render(PageArrowArtwork::Direction::Next, ratio);
}

// The mean difference of two pictures of one size over every channel, 0..255.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const uchar*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const uchar*>(y.constScanLine(row));
        for (int i = 0; i < x.width() * 4; ++i) sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (double(x.width()) * x.height() * 4);
}

}  // namespace

class TestArtwork : public QObject {
    Q_OBJECT

private slots:
    void drawnForThePixelRatio_data() {
        addColumns<QString, qreal>({"artwork", "ratio"});
        for (const char* artwork : {"product", "logo", "arrow"})
            for (qreal ratio : {1.5, 2.0, 3.0})
                QTest::addRow("%s at %.1f", artwork, ratio) << QString::fromLatin1(artwork) << ratio;
    }
    void drawnForThePixelRatio() {
        QFETCH(QString, artwork);
        QFETCH(qreal, ratio);
        const QPixmap plain = render(artwork, 1.0);
        const QPixmap dense = render(artwork, ratio);
        QCOMPARE(dense.devicePixelRatio(), ratio);
        QCOMPARE(dense.size(), (QSizeF(plain.size()) * ratio).toSize());
        QCOMPARE(dense.deviceIndependentSize().toSize(), plain.size());
        // Reduced to the plain size it is the plain picture; drawn in device pixels without the
        // ratio it would fill a corner only.
        const QImage reduced =
            dense.toImage().scaled(plain.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(meanDifference(reduced, plain.toImage()) < 4.0,
                 qPrintable(QString::number(meanDifference(reduced, plain.toImage()))));
    }

    void programIconOffersTheDesktopSizes() {
        const QIcon icon = QGuiApplication::windowIcon();
        QVERIFY(!icon.isNull());
        for (int side : {16, 32, 48, 256}) QVERIFY(icon.availableSizes().contains(QSize(side, side)));
        // The same drawing as the login picture.
        const QImage small = icon.pixmap(QSize(100, 100)).toImage();
        QCOMPARE(small.size(), QSize(100, 100));
        QVERIFY(meanDifference(small, ProductArtwork::render(QSize(100, 100), 1.0).toImage()) < 8.0);
    }
};

int main(int argc, char** argv) {
    LumoApplication application(argc, argv);
    TestArtwork test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_artwork.moc"
