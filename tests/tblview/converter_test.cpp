#include "literal_converter.h"
#include "tblview/tbl_converter.h"

#include "support/temp_world.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/stat.h>

using namespace gridlens;
using namespace std::string_literals;

namespace {

const std::string kOpen = "<html>\r\n<body background=white>\r\n"
                          "<font face=\"Tahoma,Arial\" size=\"2\">\r\n";
const std::string kTop = "<a name=\"0\"></a>\r\n";
const std::string kClose = "</font>\r\n</body>\r\n</html>\r\n";

std::string convert(const std::string& table, AnchorList& anchors)
{
    std::istringstream in(table, std::ios::binary);
    std::ostringstream out(std::ios::binary);
    ConvertTable(in, out, anchors);
    return out.str();
}

// The page text between the top anchor and the closing lines.
std::string body(const std::string& table, AnchorList& anchors)
{
    std::string page = convert(table, anchors);
    EXPECT_EQ(page.substr(0, kOpen.size() + kTop.size()), kOpen + kTop);
    EXPECT_EQ(page.substr(page.size() - kClose.size()), kClose);
    return page.substr(kOpen.size() + kTop.size(),
                       page.size() - kOpen.size() - kTop.size() - kClose.size());
}

std::string body(const std::string& table)
{
    AnchorList anchors;
    return body(table, anchors);
}

std::string encryptedPage(const std::string& name)
{
    return kOpen +
           "<font color=red><b>ERROR:</b></font><br><br>This file is an encoded FreeSpace 1 file "
           "using <b>" +
           name +
           " encryption</b>. Quorvel Manager GRIDLENS32 Light Edition does not directly support "
           "encrypted files. If this file is in a .VPP, extract it via PACKPEEK32 to decode it. "
           "You might need to enable decoding in the Options dialog of PACKPEEK32.<br>" +
           kClose;
}

void expectSameAsLiteral(const std::string& table, AnchorList& fast, AnchorList& literal)
{
    ASSERT_EQ(convert(table, fast), test::LiteralConvert(table, literal));
    ASSERT_EQ(fast.count(), literal.count());
    for (int32_t i = 0; i < fast.count(); ++i) {
        ASSERT_EQ(fast.name(i), literal.name(i)) << "anchor " << i;
        ASSERT_EQ(fast.kind(i), literal.kind(i)) << "anchor " << i;
    }
}

void expectSameAsLiteral(const std::string& table)
{
    AnchorList fast;
    AnchorList literal;
    expectSameAsLiteral(table, fast, literal);
}

} // namespace

TEST(TblConverter, WorkedExampleIsReproducedByteForByte)
{
    const std::string dir = QM_FIXTURES_DIR "/tblview/";
    AnchorList anchors;
    EXPECT_EQ(convert(qm::test::readFileBytes(dir + "worked_example.tbl"), anchors),
              qm::test::readFileBytes(dir + "worked_example.html"));
    ASSERT_EQ(anchors.count(), 3);
    EXPECT_EQ(anchors.name(0), "(Top)");
    EXPECT_EQ(anchors.kind(0), Section);
    EXPECT_EQ(anchors.name(1), "Primary Weapons");
    EXPECT_EQ(anchors.kind(1), Section);
    EXPECT_EQ(anchors.name(2), "Laser\"   ");
    EXPECT_EQ(anchors.kind(2), Entry);
}

TEST(TblConverter, EncryptedTablesGiveTheErrorPageAndNoAnchors)
{
    AnchorList anchors;
    anchors.AddAnchor("stale", Entry);
    EXPECT_EQ(convert("\xEF\xBE\xAD\xDE#Section\r\n$Name: x\r\n", anchors), encryptedPage("iTBL"));
    EXPECT_EQ(anchors.count(), 0);
    EXPECT_EQ(convert("\xCA\xCA\xCA\xCA", anchors), encryptedPage("eTBL"));
    EXPECT_EQ(anchors.count(), 0);

    // One byte in front, or too short for a magic: an ordinary table.
    EXPECT_EQ(body("x\xCA\xCA\xCA\xCA", anchors), "x\xCA\xCA\xCA\xCA\r<br>\r\n");
    EXPECT_EQ(anchors.count(), 1);
    EXPECT_EQ(body("\xCA\xCA\xCA"), "\xCA\xCA\xCA\r<br>\r\n");
    EXPECT_EQ(body("\xDE\xAD\xBE\xEF"), "\xDE\xAD\xBE\xEF\r<br>\r\n"); // big-endian order
}

TEST(TblConverter, LinesEndAtCrCrLfAndLoneLf)
{
    AnchorList anchors;
    // A lone CR LF: the blank line and the empty one after it.
    EXPECT_EQ(convert("\r\n", anchors), kOpen + kTop + "\r<br>\r\n\r<br>\r\n" + kClose);
    EXPECT_EQ(anchors.count(), 1);
    EXPECT_EQ(anchors.name(0), "(Top)");

    EXPECT_EQ(body("a\r\nb\r\n"), "a\r<br>\r\nb\r<br>\r\n\r<br>\r\n");
    EXPECT_EQ(body("a\r\nb"), "a\r<br>\r\nb\r<br>\r\n");
    EXPECT_EQ(body("a\rb\r"), "a\r<br>\r\nb\r<br>\r\n\r<br>\r\n"); // CR only
    EXPECT_EQ(body(""), "\r<br>\r\n");
    // A lone LF ends a line as a CR does; LF CR is two line ends, CR LF one.
    EXPECT_EQ(body("a\n\nb\r"), "a\r<br>\r\n\r<br>\r\nb\r<br>\r\n\r<br>\r\n");
    EXPECT_EQ(body("\na\n\rb"), "\r<br>\r\na\r<br>\r\n\r<br>\r\nb\r<br>\r\n");
    EXPECT_EQ(body("a\r\r\nb"), "a\r<br>\r\n\r<br>\r\nb\r<br>\r\n");
}

TEST(TblConverter, LfOnlyTableGivesThePageAndAnchorsOfItsCrLfTwin)
{
    const std::string crlf = "; weapons\r\n#Primary Weapons\r\n$Name: \"Laser\" ; x\r\n"
                             "\t+Damage: 10\r\n/* old\r\n$Name: Gone\r\n*/\r\n[Rocket]\r\n"
                             "$Class Name: Grenade\r\n#End\r\n";
    std::string lf = crlf;
    test::replaceAll(lf, "\r\n", "\n");
    AnchorList fromCrLf;
    AnchorList fromLf;
    EXPECT_EQ(convert(lf, fromLf), convert(crlf, fromCrLf));
    ASSERT_EQ(fromLf.count(), 5);
    for (int32_t i = 0; i < fromLf.count(); ++i) {
        EXPECT_EQ(fromLf.name(i), fromCrLf.name(i));
        EXPECT_EQ(fromLf.kind(i), fromCrLf.kind(i));
    }

    // A CR at the end of one read block and its LF at the start of the next
    // are still one line end; a lone LF there is one too.
    const std::string head(kTableReadBlock - 1, 'x');
    EXPECT_EQ(body(head + "\r\n#A\r\n"), body(head + "\r#A\r"));
    EXPECT_EQ(body(head + "\n\n#A\n"), body(head + "\r\r#A\r"));
}

TEST(TblConverter, SectionsAndEndMarkers)
{
    AnchorList anchors;
    EXPECT_EQ(body("#A\r\n#End\r\n#end\r\n#END\r\n", anchors),
              "<a name=\"1\"><font color=\"ff0000\"><b><u>#A\r</u></b></font><br>\r\n"
              "<a name=\"1\"><font color=\"ff0000\"><b><u>#End\r</u></b></font><br>\r\n"
              "<a name=\"1\"><font color=\"ff0000\"><b><u>#end\r</u></b></font><br>\r\n"
              "<a name=\"2\"><font color=\"ff0000\"><b><u>#END\r</u></b></font><br>\r\n"
              "\r<br>\r\n");
    ASSERT_EQ(anchors.count(), 3);
    EXPECT_EQ(anchors.name(2), "END");

    // Before any section, "#End" repeats the top anchor.
    EXPECT_EQ(body("#End"),
              "<a name=\"0\"><font color=\"ff0000\"><b><u>#End\r</u></b></font><br>\r\n");

    // Indentation goes before classification; the indent precedes the anchor.
    EXPECT_EQ(body("\t\t#Deep", anchors), "&nbsp;&nbsp;&nbsp;&nbsp;<a name=\"1\"><font "
                                          "color=\"ff0000\"><b><u>#Deep\r</u></b></font><br>\r\n");
    EXPECT_EQ(anchors.name(1), "Deep");
    EXPECT_EQ(anchors.kind(1), Section);
}

TEST(TblConverter, DollarKeysAndNamedEntries)
{
    AnchorList anchors;
    EXPECT_EQ(body("$name: foo", anchors),
              "<a name=\"1\"><span style=\"background-color: #ffff00\"><font "
              "color=\"0000ff\"><b>$name:</b></font> foo\r</span></a><br>\r\n");
    EXPECT_EQ(anchors.name(1), "foo");

    EXPECT_EQ(body("$NAME: foo", anchors),
              "<font color=\"0000ff\"><b>$NAME:</b></font> foo\r<br>\r\n");
    EXPECT_EQ(anchors.count(), 1);
    EXPECT_EQ(body("$Damage: 10: 20"),
              "<font color=\"0000ff\"><b>$Damage:</b></font> 10: 20\r<br>\r\n");
    // No colon: the closing tags come after the CR.
    EXPECT_EQ(body("$Flag"), "<font color=\"0000ff\"><b>$Flag\r</b></font><br>\r\n");

    EXPECT_EQ(body("$Class Name: Fighter \"x\"", anchors),
              "<a name=\"1\"><span style=\"background-color: #ffff00\"><font "
              "color=\"0000ff\"><b>$Class Name:</b></font> Fighter \"x\"\r</span></a><br>\r\n");
    EXPECT_EQ(anchors.name(1), "Fighter \"x");
    EXPECT_EQ(anchors.kind(1), Entry);

    // Without a colon the fixed position lies at the very end: an empty name, no overrun.
    EXPECT_EQ(body("$Class Name", anchors),
              "<a name=\"1\"><span style=\"background-color: #ffff00\"><font "
              "color=\"0000ff\"><b>$Class Name\r</b></font></span></a><br>\r\n");
    ASSERT_EQ(anchors.count(), 2);
    EXPECT_EQ(anchors.name(1), "");
    expectSameAsLiteral("$Class Name = x\r$Class Name  : y\r$Class Names\r$Class Nam:\r");
}

TEST(TblConverter, PlusAndAtKeys)
{
    EXPECT_EQ(body("+Damage: 10"), "<font color=\"0000ff\">+Damage:</font> 10\r<br>\r\n");
    EXPECT_EQ(body("@Sound 5: 6"), "<font color=\"0000ff\">@Sound 5:</font> 6\r<br>\r\n");
    EXPECT_EQ(body("+Flag on"), "<font color=\"0000ff\">+Flag </font>on\r<br>\r\n");
    EXPECT_EQ(body("@Flag"), "<font color=\"0000ff\">@Flag\r</font><br>\r\n");
}

TEST(TblConverter, BracketEntries)
{
    AnchorList anchors;
    EXPECT_EQ(body("[Rocket]\r\n[\r\n[x\r\n[xy\r\n", anchors),
              "<a name=\"1\"><span style=\"background-color: #ffff00\"><font "
              "color=\"ff0000\"><b>[Rocket]\r</font></span></a><br>\r\n"
              "<a name=\"2\"><span style=\"background-color: #ffff00\"><font "
              "color=\"ff0000\"><b>[\r</font></span></a><br>\r\n"
              "<a name=\"3\"><span style=\"background-color: #ffff00\"><font "
              "color=\"ff0000\"><b>[x\r</font></span></a><br>\r\n"
              "<a name=\"4\"><span style=\"background-color: #ffff00\"><font "
              "color=\"ff0000\"><b>[xy\r</font></span></a><br>\r\n"
              "\r<br>\r\n");
    ASSERT_EQ(anchors.count(), 5);
    EXPECT_EQ(anchors.name(1), "Rocket");
    EXPECT_EQ(anchors.name(2), "");
    EXPECT_EQ(anchors.name(3), "");
    EXPECT_EQ(anchors.name(4), "x");
}

TEST(TblConverter, CommentsAndIndentation)
{
    const std::string green = "<font color=\"008000\">";
    EXPECT_EQ(body("// note"), green + "// note\r</font><br>\r\n");
    EXPECT_EQ(body(";note"), green + ";note\r</font><br>\r\n");
    // Indented markers are plain text; blanks go before TABs, one pass each.
    EXPECT_EQ(body("  ; x"), "&nbsp;&nbsp;&nbsp;&nbsp;; x\r<br>\r\n");
    EXPECT_EQ(body("\t//x"), "&nbsp;&nbsp;&nbsp;&nbsp;//x\r<br>\r\n");
    EXPECT_EQ(body("\t  x"), "&nbsp;&nbsp;&nbsp;&nbsp;  x\r<br>\r\n");
    EXPECT_EQ(body("  \t\tx"), "&nbsp;&nbsp;&nbsp;&nbsp;x\r<br>\r\n");
    EXPECT_EQ(body(" \r\n"), "&nbsp;&nbsp;&nbsp;&nbsp;\r<br>\r\n\r<br>\r\n");
    EXPECT_EQ(body("x // y"), "x // y\r<br>\r\n");
}

TEST(TblConverter, BlockCommentsSpanLinesAndSuppressAnchors)
{
    const std::string green = "<font color=\"008000\">";
    AnchorList anchors;
    EXPECT_EQ(body("$Name: a /* b\r\n#Sec\r\n\t[x]\r\nend */ #y\r\n#Z\r\n", anchors),
              green + "$Name: a /* b\r</font><br>\r\n" + //
                  green + "#Sec\r</font><br>\r\n" +      //
                  green + "\t[x]\r</font><br>\r\n" +     //
                  green + "end */ #y\r</font><br>\r\n" + //
                  "<a name=\"1\"><font color=\"ff0000\"><b><u>#Z\r</u></b></font><br>\r\n" +
                  "\r<br>\r\n");
    ASSERT_EQ(anchors.count(), 2);
    EXPECT_EQ(anchors.name(1), "Z");

    // Opened and closed on one line (either order), and a "//" line that opens a block.
    EXPECT_EQ(body("/* a */\r#A"), green + "/* a */\r</font><br>\r\n" +
                                       "<a name=\"1\"><font color=\"ff0000\"><b><u>#A\r</u></b>"
                                       "</font><br>\r\n");
    EXPECT_EQ(body("*/ x /*\r#A"), green + "*/ x /*\r</font><br>\r\n" +
                                       "<a name=\"1\"><font color=\"ff0000\"><b><u>#A\r</u></b>"
                                       "</font><br>\r\n");
    EXPECT_EQ(body("// see /*\r#A\r*/"), green + "// see /*\r</font><br>\r\n" + green +
                                             "#A\r</font><br>\r\n" + green + "*/\r</font><br>\r\n");
    // "/*/" holds both markers; an LF between "/" and "*" ends the line, so no marker.
    EXPECT_EQ(body("/*/\r#A"), green + "/*/\r</font><br>\r\n" +
                                   "<a name=\"1\"><font color=\"ff0000\"><b><u>#A\r</u></b>"
                                   "</font><br>\r\n");
    EXPECT_EQ(body("/\n*\r#A"),
              "/\r<br>\r\n*\r<br>\r\n<a name=\"1\"><font color=\"ff0000\"><b><u>#A\r"
              "</u></b></font><br>\r\n");
}

TEST(TblConverter, EscapingReachesPageAndTree)
{
    AnchorList anchors;
    EXPECT_EQ(body("#<a & \"b\">", anchors),
              "<a name=\"1\"><font color=\"ff0000\"><b><u>#&lt;a & \"b\"&gt;\r</u></b></font>"
              "<br>\r\n");
    EXPECT_EQ(anchors.name(1), "&lt;a & \"b\"&gt;");
    EXPECT_EQ(body("$Name: <x>", anchors),
              "<a name=\"1\"><span style=\"background-color: #ffff00\"><font "
              "color=\"0000ff\"><b>$Name:</b></font> &lt;x&gt;\r</span></a><br>\r\n");
    EXPECT_EQ(anchors.name(1), "&lt;x&gt;");
    // A line starting with "<" is plain text after escaping.
    EXPECT_EQ(body("<b>"), "&lt;b&gt;\r<br>\r\n");
}

TEST(TblConverter, ZeroBytesPassThroughLikeAnyOtherByte)
{
    AnchorList anchors;
    EXPECT_EQ(body("#A\0B\r\nx\0y\r\n"s, anchors),
              "<a name=\"1\"><font color=\"ff0000\"><b><u>#A\0B\r</u></b></font><br>\r\n"
              "x\0y\r<br>\r\n\r<br>\r\n"s);
    EXPECT_EQ(anchors.name(1), "A\0B"s);
}

TEST(TblConverter, AnchorsBeyondCapacityKeepTheLastNumber)
{
    std::string table;
    for (int i = 1; i <= 20000; ++i)
        table += "#S" + std::to_string(i) + "\r\n";
    AnchorList anchors;
    const std::string page = convert(table, anchors);
    EXPECT_EQ(anchors.count(), AnchorList::kCapacity);
    EXPECT_EQ(anchors.name(16383), "S16383");
    // The 16384th section and all after it reuse anchor 16383 on the page.
    EXPECT_NE(page.find("<a name=\"16383\"><font color=\"ff0000\"><b><u>#S16383\r"),
              std::string::npos);
    EXPECT_NE(page.find("<a name=\"16383\"><font color=\"ff0000\"><b><u>#S16384\r"),
              std::string::npos);
    EXPECT_NE(page.find("<a name=\"16383\"><font color=\"ff0000\"><b><u>#S20000\r"),
              std::string::npos);
    EXPECT_EQ(page.find("<a name=\"16384\""), std::string::npos);
}

TEST(TblConverter, HugeAndBinaryInputsMatchTheLiteralRules)
{
    // One 10 MB line without a line end, crossing many read blocks.
    std::string line(10 * 1024 * 1024, 'x');
    line[0] = '+';
    line[5 * 1024 * 1024] = '<';
    EXPECT_EQ(body(line), "<font color=\"0000ff\">" + line.substr(0, 5 * 1024 * 1024) + "&lt;" +
                              line.substr(5 * 1024 * 1024 + 1) + "\r</font><br>\r\n");

    std::mt19937 random(4711);
    std::string binary(3 * 1024 * 1024 + 17, '\0');
    for (char& c : binary)
        c = static_cast<char>(random());
    expectSameAsLiteral(binary);
}

TEST(TblConverter, RandomTablesMatchTheLiteralRules)
{
    // Fragments chosen to hit every rule and the block boundaries between them.
    const std::vector<std::string> pieces = {
        "\r\n", "\r", "\n", " ",  "\t",   "#", "#End",  "#end", "$Name:", "$name:", "$Class Name",
        ":",    "$",  "+",  "@",  "[",    "]", "/*",    "*/",   "/",      "*",      "//",
        ";",    "<",  ">",  "\"", "\x07", "x", "Laser", "\0",   "\xCA",   "&"};
    std::mt19937 random(20261208);
    AnchorList fast;
    AnchorList literal;
    for (int round = 0; round < 3000; ++round) {
        std::string table;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            const std::string& piece = pieces[random() % pieces.size()];
            table += piece.empty() ? std::string(1, '\0') : piece;
        }
        SCOPED_TRACE(testing::PrintToString(table));
        expectSameAsLiteral(table, fast, literal);
    }
}

class TblConverterFile : public qm::test::TempWorldTest {};

TEST_F(TblConverterFile, FileConversionWritesThePage)
{
    const std::string dir = QM_FIXTURES_DIR "/tblview/";
    const std::string page = world.temp() + "gridlens32l.html";
    ASSERT_TRUE(WriteEmptyPage(page));
    EXPECT_EQ(qm::test::readFileBytes(page),
              "<html>\r\n<body background=white>\r\n</body>\r\n</html>\r\n");

    AnchorList anchors;
    std::string error;
    ASSERT_TRUE(ConvertTableFile(dir + "worked_example.tbl", page, anchors, &error)) << error;
    EXPECT_EQ(qm::test::readFileBytes(page), qm::test::readFileBytes(dir + "worked_example.html"));
    EXPECT_EQ(anchors.count(), 3);
    // Only the page itself is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(world.temp()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(TblConverterFile, FailedLoadsKeepThePreviousPageAndAnchors)
{
    const std::string page = world.temp() + "gridlens32l.html";
    AnchorList anchors;
    std::string error;
    ASSERT_TRUE(ConvertTableFile(world.writeFile("a.tbl", "#Old\r\n"), page, anchors, &error));
    const std::string previous = qm::test::readFileBytes(page);

    EXPECT_FALSE(ConvertTableFile(world.root() + "/missing.tbl", page, anchors, &error));
    EXPECT_NE(error.find("missing.tbl"), std::string::npos);
    EXPECT_FALSE(ConvertTableFile(world.makeDir("folder.tbl"), page, anchors, &error));
    EXPECT_FALSE(ConvertTableFile(world.writeFile("b.tbl", "#New"), world.root() + "/no/dir.html",
                                  anchors, nullptr));
    EXPECT_FALSE(WriteEmptyPage(world.root() + "/no/dir.html"));

    EXPECT_EQ(qm::test::readFileBytes(page), previous);
    ASSERT_EQ(anchors.count(), 2);
    EXPECT_EQ(anchors.name(1), "Old");
}

TEST_F(TblConverterFile, FifoOrFolderIsRefusedWithoutWaiting)
{
    const std::string fifo = world.root() + "/pipe.tbl";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string page = world.temp() + "page.html";
    AnchorList anchors;
    std::string error;
    int progressCalls = 0;
    // Opening a FIFO for reading would block until a writer comes.
    EXPECT_FALSE(ConvertTableFile(fifo, page, anchors, &error,
                                  [&](uint64_t, uint64_t) { ++progressCalls; }));
    EXPECT_NE(error.find("pipe.tbl"), std::string::npos);
    EXPECT_EQ(progressCalls, 0);
    EXPECT_FALSE(std::filesystem::exists(page));
}

TEST_F(TblConverterFile, ProgressIsToldForEveryBlockUpToTheSize)
{
    const std::string table = world.writeFile("big.tbl", std::string(3 * kTableReadBlock + 5, 'x'));
    std::vector<std::pair<uint64_t, uint64_t>> seen;
    AnchorList anchors;
    ASSERT_TRUE(
        ConvertTableFile(table, world.temp() + "page.html", anchors, nullptr,
                         [&](uint64_t done, uint64_t total) { seen.emplace_back(done, total); }));
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen.back(),
              std::make_pair(uint64_t(3 * kTableReadBlock + 5), uint64_t(3 * kTableReadBlock + 5)));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST_F(TblConverterFile, PlantedLinkAtThePagePathIsReplacedNotFollowed)
{
    const std::string victim = world.writeFile("victim.txt", "keep me");
    const std::string page = world.temp() + "gridlens32l.html";
    std::filesystem::create_symlink(victim, page);

    ASSERT_TRUE(WriteEmptyPage(page));
    EXPECT_FALSE(std::filesystem::is_symlink(page));
    std::filesystem::remove(page);
    std::filesystem::create_symlink(victim, page);
    AnchorList anchors;
    ASSERT_TRUE(ConvertTableFile(world.writeFile("t.tbl", "#A"), page, anchors, nullptr));
    EXPECT_FALSE(std::filesystem::is_symlink(page));
    EXPECT_EQ(qm::test::readFileBytes(victim), "keep me");
    EXPECT_EQ(anchors.count(), 2);
}
