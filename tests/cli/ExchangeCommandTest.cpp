// import and export in the exchange formats, through the command line on real files.

#include "cli/CliTestSupport.h"
#include "common/TestFiles.h"
#include "data/Document.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using clitest::RunTool;

TEST(ExchangeCommands, ImportExportWalk)
{
    testfiles::TempDir dir;
    const std::string csv = dir.Path("wörter.csv");
    testfiles::WriteBytes(csv, "\xEF\xBB\xBF" "Frage;Lösung;Punkte\r\nHaus;\"house; home\";2\r\nÄpfel;apples;\r\n");
    const std::string first = dir.Path("a.vdr");
    ASSERT_EQ(RunTool({"import", csv, first}).status, 0);
    cDocument doc;
    ASSERT_EQ(doc.Open(first), 0);
    ASSERT_EQ(doc.m_data.m_aTasks.size(), 2u);
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_strSolution, "house; home");
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[0].m_strTitle, "w\xF6rter");

    // Export in each format, import the output again (the format given or by extension).
    for (const char* format : {"kvtml", "anki", "csv", "json"}) {
        SCOPED_TRACE(format);
        const clitest::CliRun exported = RunTool({"export", first, "--format", format});
        ASSERT_EQ(exported.status, 0) << exported.err;
        const std::string file = dir.Path(std::string("b.") + format);
        testfiles::WriteBytes(file, exported.out);
        const std::string again = dir.Path(std::string("b-") + format + ".vdr");
        const clitest::CliRun imported = RunTool({"import", file, again, "--format", format});
        ASSERT_EQ(imported.status, 0) << imported.err;
        cDocument back;
        ASSERT_EQ(back.Open(again), 0);
        ASSERT_EQ(back.m_data.m_aTasks.size(), 2u);
        EXPECT_EQ(back.m_data.m_aTasks[1].m_strQuestion, "\xC4" "pfel");
    }
    EXPECT_EQ(RunTool({"export", first}).out, RunTool({"export", first, "--format", "json"}).out);

    // Refusals create no file; unmappable text passes only with --replace-unmappable.
    const std::string bad = dir.Path("bad.csv");
    testfiles::WriteBytes(bad, "a;b\n\"offen;x\n");
    const clitest::CliRun refused = RunTool({"import", bad, dir.Path("no.vdr")});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "Import abgelehnt: " + bad +
                               ": Zeile 2, Spalte 1: Das Anführungszeichen wird nicht geschlossen.\n");
    const std::string polish = dir.Path("pl.txt");
    testfiles::WriteBytes(polish, "#separator:tab\nłąka\tWiese\n");
    EXPECT_EQ(RunTool({"import", polish, dir.Path("no.vdr")}).err,
              "Import abgelehnt: " + polish + ": Zeile 2, Spalte 1: Das Zeichen \"ł\" (U+0142) gibt es "
              "in Windows-1252 nicht (insgesamt 2 solche Zeichen).\n"
              "Mit --replace-unmappable werden solche Zeichen durch \"?\" ersetzt.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("no.vdr")));
    ASSERT_EQ(RunTool({"import", polish, dir.Path("pl.vdr"), "--replace-unmappable"}).status, 0);
    const std::string json = dir.Path("pl.json");
    testfiles::WriteBytes(json, R"({"tasks":[{"question":"\u0142\u0105ka ł","solution":"Wiese"}]})");
    EXPECT_EQ(RunTool({"import", json, dir.Path("no.vdr")}).status, 2);
    ASSERT_EQ(RunTool({"import", json, dir.Path("pj.vdr"), "--replace-unmappable"}).status, 0);
    ASSERT_EQ(doc.Open(dir.Path("pj.vdr")), 0);
    EXPECT_EQ(doc.m_data.m_aTasks[0].m_strQuestion, "??ka ?");
}

} // namespace
