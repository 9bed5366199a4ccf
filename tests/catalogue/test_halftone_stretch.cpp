#include <QImage>
#include <QList>
#include <QTest>

#include "DataRows.h"
#include "catalogue/HalftoneStretch.h"

Q_DECLARE_METATYPE(QList<QRgb>)

namespace {

QImage rgbImage(int width, int height, const QList<QRgb>& pixels) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int i = 0; i < pixels.size(); ++i) {
        image.setPixel(i % width, i / width, pixels[i]);
    }
    return image;
}

QRgb grey(int v) {
    return qRgb(v, v, v);
}

}  // namespace

class TestHalftoneStretch : public QObject {
    Q_OBJECT

private slots:
    void averagesTheCoveredArea_data() {
        addColumns<QSize, QList<QRgb>, QSize, QList<QRgb>>(
            {"sourceSize", "source", "targetSize", "expected"});

        addRow("halving averages pairs", QSize(4, 1), QList<QRgb>{grey(0), grey(100), grey(10), grey(30)},
               QSize(2, 1), QList<QRgb>{grey(50), grey(20)});
        addRow("three to two weighs the shared pixel by half", QSize(3, 1),
               QList<QRgb>{grey(0), grey(150), grey(255)}, QSize(2, 1), QList<QRgb>{grey(50), grey(220)});
        addRow("vertical three to two", QSize(1, 3), QList<QRgb>{grey(0), grey(150), grey(255)}, QSize(1, 2),
               QList<QRgb>{grey(50), grey(220)});
        addRow("two by two to one is the mean of four", QSize(2, 2),
               QList<QRgb>{grey(0), grey(40), grey(80), grey(120)}, QSize(1, 1), QList<QRgb>{grey(60)});
        addRow("enlarging blends only at the seam", QSize(2, 1), QList<QRgb>{grey(0), grey(90)}, QSize(3, 1),
               QList<QRgb>{grey(0), grey(45), grey(90)});
        addRow("channels stay apart", QSize(2, 1), QList<QRgb>{qRgb(255, 0, 10), qRgb(1, 0, 250)},
               QSize(1, 1), QList<QRgb>{qRgb(128, 0, 130)});
        addRow("half rounds up", QSize(2, 1), QList<QRgb>{grey(0), grey(1)}, QSize(1, 1),
               QList<QRgb>{grey(1)});
        addRow("aspect ratio not kept", QSize(2, 1), QList<QRgb>{grey(10), grey(20)}, QSize(1, 3),
               QList<QRgb>{grey(15), grey(15), grey(15)});
    }
    void averagesTheCoveredArea() {
        QFETCH(QSize, sourceSize);
        QFETCH(QList<QRgb>, source);
        QFETCH(QSize, targetSize);
        QFETCH(QList<QRgb>, expected);

        const QImage result = HalftoneStretch(rgbImage(sourceSize.width(), sourceSize.height(), source),
                                              targetSize.width(), targetSize.height());
        QCOMPARE(result.size(), targetSize);
        QCOMPARE(result.format(), QImage::Format_RGB888);
        QList<QRgb> actual;
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x) {
                actual << result.pixel(x, y);
            }
        }
        QCOMPARE(actual, expected);
    }

    // Weights that do not sum to the span (a lost or doubled edge pixel) show up as a tint.
    void keepsAUniformColourAtAnySize_data() {
        addColumns<QSize, QSize>({"sourceSize", "targetSize"});
        addRow("page to thumbnail", QSize(1654, 2339), QSize(100, 140));
        addRow("small to thumbnail", QSize(3, 3), QSize(100, 140));
        addRow("coprime sizes", QSize(7, 5), QSize(3, 2));
        addRow("one pixel", QSize(1, 1), QSize(5, 7));
        addRow("same size", QSize(9, 4), QSize(9, 4));
    }
    void keepsAUniformColourAtAnySize() {
        QFETCH(QSize, sourceSize);
        QFETCH(QSize, targetSize);
        QImage source(sourceSize, QImage::Format_RGB888);
        source.fill(qRgb(12, 200, 77));

        const QImage result = HalftoneStretch(source, targetSize.width(), targetSize.height());
        QCOMPARE(result.size(), targetSize);
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x) {
                if (result.pixel(x, y) != qRgb(12, 200, 77)) {
                    QFAIL(qPrintable(
                        QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(result.pixel(x, y), 0, 16)));
                }
            }
        }
    }

    void acceptsOtherSourceFormats_data() {
        QTest::addColumn<int>("format");
        addRow("16-bit", int(QImage::Format_RGB555));
        addRow("32-bit with alpha", int(QImage::Format_ARGB32));
        addRow("grey", int(QImage::Format_Grayscale8));
    }
    void acceptsOtherSourceFormats() {
        QFETCH(int, format);
        const QImage source =
            rgbImage(2, 1, {grey(0), grey(255)}).convertToFormat(static_cast<QImage::Format>(format));
        const QImage result = HalftoneStretch(source, 1, 1);
        QCOMPARE(result.format(), QImage::Format_RGB888);
        QCOMPARE(result.pixel(0, 0), grey(128));
    }

    void givesNoBitmapForEmptyInput_data() {
        addColumns<QImage, QSize>({"source", "targetSize"});
        QImage pixel(1, 1, QImage::Format_RGB888);
        pixel.fill(Qt::white);
        addRow("null source", QImage(), QSize(100, 140));
        addRow("zero width", pixel, QSize(0, 140));
        addRow("negative height", pixel, QSize(100, -1));
    }
    void givesNoBitmapForEmptyInput() {
        QFETCH(QImage, source);
        QFETCH(QSize, targetSize);
        QVERIFY(HalftoneStretch(source, targetSize.width(), targetSize.height()).isNull());
    }
};

QTEST_GUILESS_MAIN(TestHalftoneStretch)
#include "test_halftone_stretch.moc"
