// The viewer's core beside the converter: command line, search, the page
// index's display rule, and the command-line conversion as programs.
#include "tblview/command_line.h"
#include "tblview/page_index.h"
#include "tblview/tbl_converter.h"
#include "tblview/text_search.h"

#include "platform/file_system.h"
#include "support/temp_world.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

using namespace gridlens;
using Command = CommandLineInfo::Command;

namespace {

CommandLineInfo parse(std::vector<std::string> args)
{
    return CommandLineInfo::Parse(args);
}

TEST(ViewerCommandLine, DashAndSlashStartSwitchesAndPathsStayPaths)
{
    for (const char* p : {"/p", "-p", "/P", "--p"}) {
        const CommandLineInfo info = parse({p, "w.tbl"});
        EXPECT_EQ(info.command, Command::FilePrint) << p;
        EXPECT_EQ(info.fileName, "w.tbl");
    }
    const CommandLineInfo to = parse({"-pt", "w.tbl", "Office", "winspool", "LPT1:"});
    EXPECT_EQ(to.command, Command::FilePrintTo);
    EXPECT_EQ(to.printerName, "Office");

    // "/" and a name that is no switch is an absolute path; bytes stay as given.
    const CommandLineInfo path = parse({"/home/m/Zerst\xF6rer.tbl"});
    EXPECT_EQ(path.command, Command::FileOpen);
    EXPECT_EQ(path.fileName, "/home/m/Zerst\xF6rer.tbl");

    // After "--" a name may start with "-"; before it, that is an unknown switch.
    EXPECT_EQ(parse({"--", "-odd.tbl"}).fileName, "-odd.tbl");
    const CommandLineInfo unknown = parse({"-odd.tbl"});
    EXPECT_EQ(unknown.command, Command::Error);
    EXPECT_NE(unknown.error.find("-odd.tbl"), std::string::npos);
    EXPECT_EQ(parse({"-"}).fileName, "-"); // a lone dash is a name

    for (const char* h : {"--help", "-h", "/?", "-?"})
        EXPECT_EQ(parse({h}).command, Command::Help) << h;
    EXPECT_EQ(parse({}).command, Command::FileNew);
    EXPECT_EQ(parse({"/dde"}).command, Command::FileNew); // the framework's, ignored

    const CommandLineInfo convert = parse({"--convert", "a.tbl", "a.html"});
    EXPECT_EQ(convert.command, Command::Convert);
    EXPECT_EQ(convert.fileName, "a.tbl");
    EXPECT_EQ(convert.pagePath, "a.html");
    EXPECT_EQ(parse({"--convert", "a.tbl"}).command, Command::Error);
}

// A plain reference: fold ASCII and Latin-1 letters of UTF-8 text to small.
std::string foldReference(const std::string& s)
{
    std::string out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z')
            out[i] = char(c + 32);
        else if (i > 0 && static_cast<unsigned char>(s[i - 1]) == 0xC3 && c >= 0x80 && c <= 0x9E &&
                 c != 0x97)
            out[i] = char(c + 32);
    }
    return out;
}

size_t naiveFind(const std::string& text, const std::string& needle, size_t from,
                 const FindOptions& o, bool backward)
{
    const std::string t = o.matchCase ? text : foldReference(text);
    const std::string n = o.matchCase ? needle : foldReference(needle);
    const auto word = [](unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; };
    const auto ok = [&](size_t at) {
        return !o.wholeWord || ((at == 0 || !word(text[at - 1])) &&
                                (at + n.size() >= text.size() || !word(text[at + n.size()])));
    };
    if (!backward) {
        for (size_t at = t.find(n, from); at != std::string::npos; at = t.find(n, at + 1))
            if (ok(at))
                return at;
        return std::string::npos;
    }
    size_t last = std::string::npos;
    for (size_t at = t.find(n); at != std::string::npos && at + n.size() <= from;
         at = t.find(n, at + 1))
        if (ok(at))
            last = at;
    return last;
}

TEST(ViewerSearch, CaseWholeWordAndDirection)
{
    const std::string text = "$Name: Zerst\xC3\xB6rer\n$Name: ZERST\xC3\x96RER II\nzerstorer\n";
    const std::string needle = "zerst\xC3\xB6rer";
    EXPECT_EQ(FindText(text, needle, 0, {}), 7u);
    EXPECT_EQ(FindText(text, needle, 8, {}), 25u); // Ö and ö are one letter in two cases
    EXPECT_EQ(FindText(text, needle, 8, {true, false}), std::string::npos);
    EXPECT_EQ(CountMatches(text, needle, {}), 2u);
    EXPECT_EQ(FindText(text, needle, text.size(), {}, true), 25u);
    EXPECT_EQ(FindText(text, needle, 25, {}, true), 7u); // ends by 25
    EXPECT_EQ(FindText("Laser Lasers", "laser", 1, {false, true}), std::string::npos);
    EXPECT_EQ(FindText("Lasers Laser", "laser", 0, {false, true}), 7u);
    EXPECT_EQ(FindText("abc", "", 0, {}), std::string::npos);
}

TEST(ViewerSearch, AgreesWithAPlainScanOnRandomText)
{
    // Long enough for the sixteen-byte scan and its tail; small alphabet for many hits.
    const std::vector<std::string> pieces = {
        "a", "A", "b", " ", "_", "\xC3\xB6", "\xC3\x96", "\xC3\x97", "\xC3\xB7", "\n", "x", "aB"};
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int round = 0; round < 2000; ++round) {
        std::string text, needle;
        for (int i = int(random() % 80); i > 0; --i)
            text += pieces[random() % pieces.size()];
        for (int i = 1 + int(random() % 3); i > 0; --i)
            needle += pieces[random() % pieces.size()];
        const FindOptions o{bool(random() % 2), bool(random() % 2)};
        const bool backward = random() % 2;
        const size_t from = random() % (text.size() + 1);
        ASSERT_EQ(FindText(text, needle, from, o, backward),
                  naiveFind(text, needle, from, o, backward))
            << testing::PrintToString(text) << " / " << testing::PrintToString(needle) << " from "
            << from << " case " << o.matchCase << " word " << o.wholeWord << " back " << backward;
    }
}

std::string pageOf(const std::string& table)
{
    std::istringstream in(table, std::ios::binary);
    std::ostringstream out(std::ios::binary);
    AnchorList anchors;
    ConvertTable(in, out, anchors);
    return out.str();
}

TEST(ViewerPageIndex, DisplayRuleSearchTextAndAnchorsOfLines)
{
    PageIndex index;
    index.setPage(pageOf("#Waffen\r\n$Name: Zerst\xF6rer\r\n$Name: Zerst\xC3\xB6rer\r\n"
                         "#R\xFCstung\r\n\t+Wert: 1 < 2\r\n"));
    // Windows-1252 on one line, UTF-8 on the next: both show the same.
    EXPECT_EQ(index.lineText(1), "$Name: Zerst\xC3\xB6rer");
    EXPECT_EQ(index.lineText(2), "$Name: Zerst\xC3\xB6rer");
    EXPECT_EQ(index.lineText(3), "#R\xC3\xBCstung");

    const PageIndex::SearchText& search = index.searchText();
    const size_t at = FindText(search.text, "1 < 2", 0, {});
    ASSERT_NE(at, std::string::npos); // the page's "&lt;" is found as the "<" it shows
    EXPECT_EQ(search.lineOf(at), 4);
    EXPECT_EQ(search.lineOf(FindText(search.text, "R\xC3\xBC", 0, {})), 3);

    // Anchors: 0 "(Top)" and 1 "Waffen" on line 0, 2 and 3 the entries, 4 the second section.
    EXPECT_EQ(index.anchorAtOrBefore(0), 1);
    EXPECT_EQ(index.anchorAtOrBefore(2), 3);
    EXPECT_EQ(index.anchorAtOrBefore(4), 4);
    PageIndex empty;
    empty.clear();
    EXPECT_EQ(empty.anchorAtOrBefore(0), -1);
}

class ViewerConvertCommand : public qm::test::TempWorldTest {
protected:
    struct Run {
        int code;
        std::string out, err;
    };
    Run run(const QString& program, const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY")); // no window may be needed
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QM_BIN_DIR "/") + program, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), p.readAllStandardOutput().toStdString(),
                p.readAllStandardError().toStdString()};
    }
};

TEST_F(ViewerConvertCommand, BothCommandsWriteTheViewersPageWithTheUsualExitCodes)
{
    const std::string table = world.writeFile("weapons.tbl", "#Primary\n$Name: Laser\n");
    AnchorList anchors;
    ASSERT_TRUE(ConvertTableFile(table, world.root() + "/expected.html", anchors, nullptr));
    const std::string expected = qm::test::readFileBytes(world.root() + "/expected.html");

    const QString t = QString::fromStdString(table);
    const QString root = QString::fromStdString(world.root());
    Run r = run(QStringLiteral("qm_tbl2html"), {t, root + "/a.html"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(qm::test::readFileBytes(world.root() + "/a.html"), expected);
    r = run(QStringLiteral("gridlens32l"), {QStringLiteral("--convert"), t, root + "/b.html"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(qm::test::readFileBytes(world.root() + "/b.html"), expected);
    // A name starting with "-" after "--".
    world.writeFile("-dash.tbl", "#D\r\n");
    r = run(QStringLiteral("qm_tbl2html"),
            {QStringLiteral("--"), root + "/-dash.tbl", root + "/-d.html"});
    EXPECT_EQ(r.code, 0) << r.err;

    r = run(QStringLiteral("qm_tbl2html"), {root + "/missing.tbl", root + "/c.html"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("missing.tbl"), std::string::npos);
    EXPECT_FALSE(qm::fs::Exists(world.root() + "/c.html"));
    r = run(QStringLiteral("gridlens32l"),
            {QStringLiteral("--convert"), root + "/missing.tbl", root + "/c.html"});
    EXPECT_EQ(r.code, 1);

    for (const QString& program : {QStringLiteral("qm_tbl2html"), QStringLiteral("gridlens32l")}) {
        r = run(program, {QStringLiteral("--help")});
        EXPECT_EQ(r.code, 0);
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << program.toStdString();
        r = run(program, {QStringLiteral("-x"), t});
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("\"-x\""), std::string::npos) << r.err;
    }
    EXPECT_EQ(run(QStringLiteral("qm_tbl2html"), {t}).code, 2);

    // An empty table gives the empty page, as the viewer shows it.
    world.writeFile("empty.tbl", "");
    EXPECT_EQ(run(QStringLiteral("qm_tbl2html"), {root + "/empty.tbl", root + "/e.html"}).code, 0);
    EXPECT_EQ(qm::test::readFileBytes(world.root() + "/e.html"), std::string(EmptyPageText()));
}

} // namespace
