#include "platform/JpegImage.h"

#include <QFile>
#include <QIcon>
#include <QTest>

#include <cstdio>
#include <unistd.h>

namespace {
QByteArray ReadResource(const QString &Path) {
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly)) {
        return {};
    }
    return File.readAll();
}

// Bits per pixel recorded in a BMP's header.
int BmpBitCount(const QByteArray &Bytes) {
    if (Bytes.size() < 30 || !Bytes.startsWith("BM")) {
        return 0;
    }
    return quint8(Bytes[28]) | quint8(Bytes[29]) << 8;
}

bool Near(const QColor &A, const QColor &B, int Tolerance) {
    return std::abs(A.red() - B.red()) <= Tolerance &&
           std::abs(A.green() - B.green()) <= Tolerance &&
           std::abs(A.blue() - B.blue()) <= Tolerance;
}

// Runs Work with the process's standard error sent to a temporary file and returns what was
// written there.
template <typename F> QByteArray CaptureStderr(F Work) {
    std::fflush(stderr);
    std::FILE *Sink = std::tmpfile();
    const int Saved = dup(fileno(stderr));
    dup2(fileno(Sink), fileno(stderr));
    Work();
    std::fflush(stderr);
    dup2(Saved, fileno(stderr));
    close(Saved);
    QByteArray Written;
    std::rewind(Sink);
    char Buffer[256];
    for (std::size_t Got; (Got = std::fread(Buffer, 1, sizeof Buffer, Sink)) > 0;) {
        Written.append(Buffer, qsizetype(Got));
    }
    std::fclose(Sink);
    return Written;
}

// Offset of the first byte after a marker (0xFF, Code), or -1.
qsizetype AfterMarker(const QByteArray &Bytes, quint8 Code) {
    const qsizetype At = Bytes.indexOf(QByteArray("\xFF") + char(Code));
    return At < 0 ? -1 : At + 2;
}

struct Probe {
    int X;
    int Y;
    QColor Colour;
};
} // namespace

Q_DECLARE_METATYPE(QList<Probe>)

class tst_Pictures : public QObject {
    Q_OBJECT

  private slots:
    void bitmaps_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QList<Probe>>("probes");

        const QColor Cream(0xFF, 0xFF, 0xEF);
        const QColor Olive(0x8C, 0xA5, 0x52);
        const QColor Khaki(0xF0, 0xE6, 0x8C);
        const QColor Silver(0xC0, 0xC0, 0xC0);
        const QColor Navy(0x00, 0x00, 0x80);
        QTest::newRow("band beside the diagram")
            << ":/pictures/Image1.bmp" << QSize(18, 36) << 24
            << QList<Probe>{{0, 0, Cream}, {0, 35, Cream}, {15, 0, Olive}, {15, 20, Olive}};
        QTest::newRow("junction marker") << ":/pictures/Marker.bmp" << QSize(17, 6) << 24
                                         << QList<Probe>{{0, 0, Cream},
                                                         {9, 5, Khaki},
                                                         {12, 0, QColor(0xFF, 0x00, 0x00)},
                                                         {10, 1, QColor(0xFF, 0x00, 0x00)},
                                                         {12, 2, QColor(0xFF, 0xFF, 0x00)},
                                                         {14, 3, QColor(0xFF, 0xFF, 0x00)},
                                                         {12, 5, QColor(0x00, 0xFF, 0x00)},
                                                         {15, 0, QColor(0x80, 0x80, 0x80)},
                                                         {16, 5, QColor(0x80, 0x80, 0x80)}};
        QTest::newRow("LED lamps") << ":/pictures/DOWN.bmp" << QSize(76, 19) << 4
                                   << QList<Probe>{{0, 0, Silver},
                                                   {75, 18, Silver},
                                                   {9, 1, Navy},
                                                   {9, 9, QColor(0xFF, 0x00, 0x00)},
                                                   {19 + 9, 9, QColor(0x00, 0xFF, 0x00)},
                                                   {38 + 9, 9, QColor(0x00, 0x00, 0xFF)},
                                                   {57 + 9, 9, QColor(0x00, 0xFF, 0x00)},
                                                   {57 + 9, 17, Navy}};
    }
    void bitmaps() {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(int, bits);
        QFETCH(QList<Probe>, probes);
        QCOMPARE(BmpBitCount(ReadResource(path)), bits);
        const QImage Image(path);
        QVERIFY(!Image.isNull());
        QCOMPARE(Image.size(), size);
        for (const Probe &P : probes) {
            QCOMPARE(Image.pixelColor(P.X, P.Y), P.Colour);
        }
    }

    void ledBitmapHasSixteenColours() {
        const QImage Image(QStringLiteral(":/pictures/DOWN.bmp"));
        QCOMPARE(Image.format(), QImage::Format_Indexed8);
        QCOMPARE(Image.colorCount(), 16);
    }

    void rulerDecodesWithLibjpeg() {
        const QByteArray Bytes = ReadResource(QStringLiteral(":/pictures/Image14.jpg"));
        QVERIFY(Bytes.startsWith("\xFF\xD8"));
        const QImage Ruler = DecodeJpeg(Bytes);
        QCOMPARE(Ruler.size(), QSize(4, 241));
        QCOMPARE(LoadJpegResource(QStringLiteral(":/pictures/Image14.jpg")), Ruler);

        // Pale between the ticks; dark across the whole strip at each mile (every 80 rows);
        // the quarter-mile ticks stop short of the right edge.
        for (const int Y : {10, 50, 130, 230}) {
            const QColor Ground = Ruler.pixelColor(2, Y);
            QVERIFY2(Ground.lightness() > 200, qPrintable(QString::number(Y)));
            QVERIFY(Ground.red() > Ground.blue()); // a warm, coloured ground
        }
        for (const int Y : {0, 80, 160, 240}) {
            QVERIFY2(Ruler.pixelColor(3, Y).lightness() < 140, qPrintable(QString::number(Y)));
        }
        QVERIFY(Ruler.pixelColor(0, 20).lightness() < 140);
        QVERIFY(Ruler.pixelColor(3, 20).lightness() > 200);
        QVERIFY(Near(Ruler.pixelColor(1, 110), QColor(0xF7, 0xF3, 0xDE), 8));
    }

    void damagedJpegGivesANullImage_data() {
        const QByteArray Good = ReadResource(QStringLiteral(":/pictures/Image14.jpg"));
        QVERIFY(!Good.isEmpty());
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("empty") << QByteArray();
        QTest::newRow("start marker only") << Good.left(2);
        QTest::newRow("not a JPEG") << ReadResource(QStringLiteral(":/pictures/DOWN.bmp"));
        QTest::newRow("text") << QByteArray("hello, this is not a picture");
        QTest::newRow("cut in the headers") << Good.left(AfterMarker(Good, 0xC4) + 4);
        QTest::newRow("cut right after the scan header") << Good.left(AfterMarker(Good, 0xDA) + 12);
        QTest::newRow("cut halfway through") << Good.left(Good.size() / 2);
        QTest::newRow("end marker missing") << Good.left(Good.size() - 2);
        QByteArray NoWidth = Good;
        const qsizetype Frame = AfterMarker(Good, 0xC0);
        QVERIFY(Frame > 0);
        NoWidth[Frame + 5] = 0; // image width 0
        NoWidth[Frame + 6] = 0;
        QTest::newRow("frame of width 0") << NoWidth;
        QByteArray BadTable = Good;
        const qsizetype Table = AfterMarker(Good, 0xC4);
        BadTable[Table + 2] = char(0x7F); // an impossible table class and number
        QTest::newRow("broken Huffman table") << BadTable;
    }
    void damagedJpegGivesANullImage() {
        QFETCH(QByteArray, bytes);
        QImage Result(1, 1, QImage::Format_RGB32);
        const QByteArray Said = CaptureStderr([&] { Result = DecodeJpeg(bytes); });
        QVERIFY(Result.isNull());
        QVERIFY2(Said.isEmpty(), Said.constData());
    }

    // The program's window icon: drawn only where Qt's SVG plug-ins are installed.
    void windowIconRenders() {
        const QString Path = QStringLiteral(":/desktop/timespace.svg");
        QVERIFY(ReadResource(Path).contains("<svg"));
        QVERIFY(!QIcon(Path).pixmap(32).isNull());
    }

    void missingJpegResourceGivesANullImage() {
        QVERIFY(LoadJpegResource(QStringLiteral(":/pictures/NoSuchPicture.jpg")).isNull());
    }
};

QTEST_MAIN(tst_Pictures)
#include "tst_Pictures.moc"
