// How the own page view reads the converter's pages: lines, anchors and the
// formats a browser would give them.
#include "tblview/anchor_list.h"
#include "tblview/tbl_converter.h"
#include "tblview/ui/page_document.h"

#include <gtest/gtest.h>
#include <sstream>

using gridlens::PageDocument;

namespace {

std::string convert(const std::string& table, gridlens::AnchorList* anchorsOut = nullptr)
{
    std::istringstream in(table);
    std::ostringstream out;
    gridlens::AnchorList anchors;
    gridlens::ConvertTable(in, out, anchors);
    if (anchorsOut)
        anchorsOut->swap(anchors);
    return out.str();
}

// The format of the character at pos of a line.
QTextCharFormat formatAt(const QList<QTextLayout::FormatRange>& formats, int pos)
{
    for (const auto& f : formats)
        if (pos >= f.start && pos < f.start + f.length)
            return f.format;
    return QTextCharFormat();
}

struct Shown {
    QString text;
    QList<QTextLayout::FormatRange> formats;
};
Shown lineOf(const PageDocument& doc, int line)
{
    Shown s;
    doc.lineContent(line, s.text, s.formats);
    return s;
}

} // namespace

TEST(PageDocument, ConvertedTableShowsOneLinePerTableLineWithItsAnchors)
{
    const std::string page = convert("#Primary Weapons\r\n$Name: \"Laser\"   ; the laser\r\n"
                                     "\t+Damage: 10\r\n; weapons end\r\n#End\r\n");
    PageDocument doc;
    doc.setPage(page);
    // Line 0 holds anchor 0 and the first table line; the file's final CR LF
    // gives one more, empty line.
    ASSERT_EQ(doc.lineCount(), 6);
    EXPECT_EQ(doc.lineOfAnchor("0"), 0);
    EXPECT_EQ(doc.lineOfAnchor("1"), 0);
    EXPECT_EQ(doc.lineOfAnchor("2"), 1); // "#End" repeats 2: the first one wins
    EXPECT_EQ(doc.lineOfAnchor("3"), -1);
    EXPECT_EQ(doc.lineText(0), QStringLiteral("#Primary Weapons"));
    // White space collapses as in HTML; the CR at the end is not shown.
    EXPECT_EQ(doc.lineText(1), QStringLiteral("$Name: \"Laser\" ; the laser"));
    // The fixed indent is four non-breaking spaces.
    EXPECT_EQ(doc.lineText(2), QString(4, QChar(0xA0)) + QStringLiteral("+Damage: 10"));
    EXPECT_EQ(doc.lineText(4), QStringLiteral("#End"));
    EXPECT_EQ(doc.lineText(5), QString());
}

TEST(PageDocument, FormatsFollowTheConvertersMarkup)
{
    const std::string page =
        convert("#Weapons\r\n$Name: Laser\r\n+Damage: 10\r\n[Rocket]\r\nplain\r\n// note\r\n");
    PageDocument doc;
    doc.setPage(page);

    const Shown section = lineOf(doc, 0);
    const QTextCharFormat s = formatAt(section.formats, 0);
    EXPECT_EQ(s.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(s.fontWeight(), QFont::Bold);
    EXPECT_TRUE(s.fontUnderline());

    // "$Name:" is a blue bold key; the whole entry line has the yellow background.
    const Shown entry = lineOf(doc, 1);
    const QTextCharFormat key = formatAt(entry.formats, 0);
    const QTextCharFormat value = formatAt(entry.formats, int(entry.text.indexOf("Laser")));
    EXPECT_EQ(key.foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(key.fontWeight(), QFont::Bold);
    EXPECT_EQ(value.foreground().color(), QColor(0, 0, 0));
    EXPECT_NE(value.fontWeight(), QFont::Bold);
    EXPECT_EQ(key.background().color(), QColor(255, 255, 0));
    EXPECT_EQ(value.background().color(), QColor(255, 255, 0));

    const Shown plus = lineOf(doc, 2);
    EXPECT_EQ(formatAt(plus.formats, 0).foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(formatAt(plus.formats, int(plus.text.indexOf("10"))).foreground().color(),
              QColor(0, 0, 0));

    // "[Rocket]" leaves its <b> open; it must end with the line's </font>.
    const Shown rocket = lineOf(doc, 3);
    EXPECT_EQ(formatAt(rocket.formats, 1).background().color(), QColor(255, 255, 0));
    EXPECT_EQ(formatAt(rocket.formats, 1).fontWeight(), QFont::Bold);
    const Shown after = lineOf(doc, 4);
    EXPECT_EQ(after.text, QStringLiteral("plain"));
    EXPECT_NE(formatAt(after.formats, 0).fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatAt(after.formats, 0).hasProperty(QTextFormat::BackgroundBrush));

    EXPECT_EQ(formatAt(lineOf(doc, 5).formats, 0).foreground().color(), QColor(0, 0x80, 0));
}

TEST(PageDocument, EntitiesTagsAndOddMarkup)
{
    PageDocument doc;
    doc.setPage("<html><body>a &lt;b&gt; &amp;amp; &#65;&#x42; &nbsp;x<br>"
                "<!-- <br> in a comment --><font color=\"#00f\">blue</font> 1 < 2<br>"
                "<span style=\"color: red; background-color: #ffff00\">hi</span><unknown attr='>'>"
                "z<br>tail");
    ASSERT_EQ(doc.lineCount(), 4);
    EXPECT_EQ(doc.lineText(0), QStringLiteral("a <b> &amp; AB \u00a0x"));
    EXPECT_EQ(doc.lineText(1), QStringLiteral("blue 1 < 2"));
    const Shown blue = lineOf(doc, 1);
    EXPECT_EQ(formatAt(blue.formats, 0).foreground().color(), QColor(0, 0, 255));
    const Shown span = lineOf(doc, 2);
    EXPECT_EQ(span.text, QStringLiteral("hiz"));
    EXPECT_EQ(formatAt(span.formats, 0).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatAt(span.formats, 0).background().color(), QColor(255, 255, 0));
    EXPECT_EQ(doc.lineText(3), QStringLiteral("tail"));

    // An anchor after the last text, and a tag the page never closes.
    doc.setPage("<html>one<br>two<br><a name=\"end\"><span style=\"color: red");
    EXPECT_EQ(doc.lineCount(), 2);
    EXPECT_EQ(doc.lineOfAnchor("end"), 1);
}

TEST(PageDocument, EncryptedTablePageAndEmptyPage)
{
    PageDocument doc;
    doc.setPage(convert(std::string("\xCA\xCA\xCA\xCA rest", 9)));
    ASSERT_EQ(doc.lineCount(), 3);
    EXPECT_EQ(doc.lineText(0), QStringLiteral("ERROR:"));
    EXPECT_TRUE(doc.lineText(2).contains(QStringLiteral("eTBL encryption")));

    doc.setPage("<html>\r\n<body background=white>\r\n</body>\r\n</html>\r\n");
    EXPECT_EQ(doc.lineCount(), 1);
    EXPECT_EQ(doc.lineText(0), QString());
    EXPECT_EQ(doc.lineOfAnchor("0"), -1);
}

TEST(PageDocument, UnclosedTagsDoNotPileUpOverLines)
{
    // Section anchors stay open in the page: many thousands must not nest.
    std::string table;
    for (int i = 0; i < 5000; ++i)
        table += "#S" + std::to_string(i) + "\r\n$Name: E" + std::to_string(i) + "\r\n";
    PageDocument doc;
    doc.setPage(convert(table));
    EXPECT_EQ(doc.lineOfAnchor("10000"), 9999);
    const Shown last = lineOf(doc, 9999);
    EXPECT_EQ(last.text, QStringLiteral("$Name: E4999"));
    EXPECT_EQ(formatAt(last.formats, 0).background().color(), QColor(255, 255, 0));
}

TEST(PageDocument, AHugeLineIsShownWholeOverSeveralLines)
{
    std::string table;
    for (int i = 0; i < 200000; ++i)
        table += "word" + std::to_string(i % 10) + " &amp; ";
    PageDocument doc;
    doc.setPage(convert(table)); // no line end: one table line of 2 MB
    ASSERT_GT(doc.lineCount(), 50);
    QString all;
    int longest = 0;
    for (int i = 0; i < doc.lineCount(); ++i) {
        const QString text = doc.lineText(i);
        longest = std::max(longest, int(text.size()));
        all += text;
    }
    EXPECT_LE(longest, 16384);
    // Nothing lost, and no entity cut in two (only spaces at the cuts may go).
    all.remove(QLatin1Char(' '));
    QString expected = QString::fromStdString(table);
    expected.remove(QLatin1Char(' '));
    expected.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    EXPECT_EQ(all, expected);
}
