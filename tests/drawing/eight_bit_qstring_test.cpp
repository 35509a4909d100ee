// The window and the xlsx workbook decode 8-bit labels alike: for every byte
// 0x80..0xFF, the text on screen equals the text of the workbook's cell (read
// with an XML parser from the written file), and matches Windows-1252 with
// U+FFFD where that code page assigns nothing.
#include "drawing/eight_bit_qstring.h"

#include <QStringDecoder>
#include <QTest>
#include <QXmlStreamReader>

#include "export/xlsx_table.h"
#include "tests/export/export_test_support.h"
#include "tests/export/zip_reader.h"

using namespace talvex::drawing;

namespace {

std::string Label(int byte) { return "x" + std::string(1, char(byte)) + "y"; }

// The texts of column A from row 2 on, in row order.
QStringList FirstColumnTexts(const std::string& sheetXml) {
  QXmlStreamReader xml(QByteArray::fromStdString(sheetXml));
  QStringList texts;
  bool inLabel = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == u"c") {
      const QString ref = xml.attributes().value(QLatin1String("r")).toString();
      inLabel = ref.startsWith(u'A') && ref != QLatin1String("A1");
    } else if (xml.isStartElement() && xml.name() == u"t" && inLabel) {
      texts.append(xml.readElementText());
    }
  }
  if (xml.hasError()) QTest::qFail(qPrintable(xml.errorString()), __FILE__, __LINE__);
  return texts;
}

}  // namespace

class TEightBitTextTest : public QObject {
  Q_OBJECT

 private slots:
  void screenAndWorkbookAgreeOnEveryHighByte() {
    talvex::TXlsxTable table;
    table.cornerHeading = "Object";
    for (int b = 0x80; b <= 0xFF; ++b) table.rowLabels.push_back(Label(b));
    table.rowCount = table.rowLabels.size();
    talvex::testing::TScratchFolder folder;
    talvex::WriteXlsxTable(folder / "labels.xlsx", table);
    const QStringList cells = FirstColumnTexts(talvex::testing::ZipMember(
        talvex::testing::ReadZip(talvex::testing::ReadFile(folder / "labels.xlsx")),
        "xl/worksheets/sheet1.xml"));
    QCOMPARE(cells.size(), qsizetype(table.rowCount));

    QStringDecoder windows1252("windows-1252");
    for (int b = 0x80; b <= 0xFF; ++b) {
      const QString screen = FromEightBit(Label(b));
      QCOMPARE(screen, cells[b - 0x80]);
      QCOMPARE(screen.size(), 3);
      const QChar c = screen[1];
      QVERIFY2(c.category() != QChar::Other_Control, qPrintable(QString::number(b, 16)));
      if (windows1252.isValid()) {
        const QString reference = windows1252.decode(QByteArray(1, char(b)));
        const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        QCOMPARE(c, unassigned ? QChar(QChar::ReplacementCharacter) : reference[0]);
      }
    }
  }

  void utf8LabelsStayUtf8() {
    QCOMPARE(FromEightBit("Z\xC3\xBCrich"), QStringLiteral(u"Z\u00FCrich"));
    QCOMPARE(FromEightBit("\xE9t\xE9 \x80"), QStringLiteral(u"\u00E9t\u00E9 \u20AC"));
  }
};

QTEST_APPLESS_MAIN(TEightBitTextTest)
#include "eight_bit_qstring_test.moc"
