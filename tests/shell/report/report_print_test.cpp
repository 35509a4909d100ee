// The placement of printed listing lines (wrapping, tabs, page breaks) and
// the printer font size rule, on made-up page metrics.
#include "shell/report/report_print.h"

#include <QTest>

namespace {

// Every character 10 wide, a line pitch of 10, eight-character tabs.
TListingPageMetrics Metrics(int width, int height) {
  TListingPageMetrics metrics;
  metrics.pageWidth = width;
  metrics.pageHeight = height;
  metrics.linePitch = 10;
  metrics.tabWidth = 80;
  metrics.charWidth = [](QChar c) { return c == QLatin1Char('M') ? 15 : 10; };
  return metrics;
}

}  // namespace

Q_DECLARE_METATYPE(std::vector<TPrintedRun>)

class TListingPrintTest : public QObject {
  Q_OBJECT

 private slots:
  void layout_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("width");
    QTest::addColumn<std::vector<TPrintedRun>>("runs");
    QTest::newRow("lines that fit") << QStringList{"abc", "de"} << 100
                                    << std::vector<TPrintedRun>{{0, 0, 0, "abc"}, {0, 0, 10, "de"}};
    QTest::newRow("an empty line takes a pitch")
        << QStringList{"a", "", "b"} << 100
        << std::vector<TPrintedRun>{{0, 0, 0, "a"}, {0, 0, 20, "b"}};
    QTest::newRow("breaks at the last character that fits")
        << QStringList{"abcdefghijklmnopqrstuvwxy", "z"} << 100
        << std::vector<TPrintedRun>{{0, 0, 0, "abcdefghij"},
                                    {0, 0, 10, "klmnopqrst"},
                                    {0, 0, 20, "uvwxy"},
                                    {0, 0, 30, "z"}};
    QTest::newRow("wide characters count by their width")
        << QStringList{"MMMMMMM"} << 100
        << std::vector<TPrintedRun>{{0, 0, 0, "MMMMMM"}, {0, 0, 10, "M"}};
    QTest::newRow("a tab goes to the next multiple of eight widths")
        << QStringList{"ab\tc", "abcdefgh\tX"} << 400
        << std::vector<TPrintedRun>{
               {0, 0, 0, "ab"}, {0, 80, 0, "c"}, {0, 0, 10, "abcdefgh"}, {0, 160, 10, "X"}};
    QTest::newRow("a tab past the edge continues on the next line")
        << QStringList{"abcdefghi\tX"} << 150
        << std::vector<TPrintedRun>{{0, 0, 0, "abcdefghi"}, {0, 0, 10, "X"}};
  }
  void layout() {
    QFETCH(QStringList, lines);
    QFETCH(int, width);
    QFETCH(std::vector<TPrintedRun>, runs);
    const std::vector<TPrintedRun> laid = LayoutListing(lines, Metrics(width, 1000));
    QCOMPARE(laid.size(), runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
      QCOMPARE(laid[i].text, runs[i].text);
      QCOMPARE(laid[i].x, runs[i].x);
      QCOMPARE(laid[i].y, runs[i].y);
      QCOMPARE(laid[i].page, runs[i].page);
    }
  }

  void pagesEndTwoPitchesAboveTheBottom() {
    // Height 100, pitch 10: lines at 0, 10, ..., 80; the next would be at 90,
    // less than two pitches above the bottom edge.
    QStringList lines;
    for (int i = 1; i <= 20; ++i) lines << QString::number(i);
    const std::vector<TPrintedRun> runs = LayoutListing(lines, Metrics(100, 100));
    QCOMPARE(runs.size(), std::size_t(20));
    for (int i = 0; i < 20; ++i) {
      QCOMPARE(runs[i].page, i / 9);
      QCOMPARE(runs[i].y, (i % 9) * 10);
    }
    // A wrapped line's pieces break pages too.
    const std::vector<TPrintedRun> wrapped = LayoutListing({QString(95, 'x')}, Metrics(100, 100));
    QCOMPARE(wrapped.size(), std::size_t(10));
    QCOMPARE(wrapped[8].page, 0);
    QCOMPARE(wrapped[9].page, 1);
    QCOMPARE(wrapped[9].y, 0);
    QCOMPARE(wrapped[9].text, QString(5, 'x'));
  }

  void printerFontSize_data() {
    QTest::addColumn<int>("viewSize");
    QTest::addColumn<int>("screenW");
    QTest::addColumn<int>("printerW");
    QTest::addColumn<int>("size");
    QTest::newRow("s + round(s * r) - 1") << 10 << 11 << 50 << 11;                     // 2.2 -> 2
    QTest::newRow("a half goes to the even neighbour, down") << 10 << 10 << 40 << 11;  // 2.5 -> 2
    QTest::newRow("a half goes to the even neighbour, up") << 10 << 35 << 100 << 13;   // 3.5 -> 4
    QTest::newRow("high resolution") << 10 << 11 << 100 << 10;                         // 1.1 -> 1
    QTest::newRow("printer W not wider: the view's size") << 10 << 11 << 11 << 10;
    QTest::newRow("printer W narrower") << 9 << 20 << 8 << 9;
  }
  void printerFontSize() {
    QFETCH(int, viewSize);
    QFETCH(int, screenW);
    QFETCH(int, printerW);
    QFETCH(int, size);
    QCOMPARE(PrinterFontPointSize(viewSize, screenW, printerW), size);
  }
};

QTEST_MAIN(TListingPrintTest)
#include "report_print_test.moc"
