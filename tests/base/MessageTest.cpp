#include "base/Message.h"

#include "common/RecordingPresenter.h"
#include "base/Cp1252.h"
#include "base/Number.h"
#include "base/StreamPresenter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

namespace {

// Presses F1 in every box, as a user would, then answers.
class HelpPressingPresenter : public RecordingPresenter {
public:
    int Present(const std::string& caption, const std::string& text,
                std::uint32_t style) override {
        const int answer = RecordingPresenter::Present(caption, text, style);
        if (!inHelp) {
            inHelp = true;
            ShowQuickHelp();
            idAfterHelp = CurrentMessageId();
            inHelp = false;
        }
        return answer;
    }
    bool inHelp = false;
    int idAfterHelp = -1;
};

struct Box {
    int id;
    const char* param;
    const char* caption; // UTF-8
    const char* text;    // UTF-8
    std::uint32_t style;
    const char* helpCaption = ""; // the quick help F1 shows over the box, if any
    const char* helpText = "";
};
void PrintTo(const Box& c, std::ostream* os) {
    *os << "id " << c.id;
}
class ShowMessageBox : public ::testing::TestWithParam<Box> {};
// Caption, text, style and quick help of every box of the catalogue.
TEST_P(ShowMessageBox, BuildsCaptionTextAndStyle) {
    const Box& c = GetParam();
    HelpPressingPresenter recorder;
    EXPECT_EQ(CurrentMessageId(), 0);
    EXPECT_EQ(ShowMessage(c.id, Cp1252FromUtf8(c.param)), ResultOk);
    EXPECT_EQ(CurrentMessageId(), 0);
    ASSERT_EQ(recorder.boxes.size(), c.helpText[0] ? 2u : 1u);
    EXPECT_EQ(recorder.boxes[0].caption, Cp1252FromUtf8(c.caption));
    EXPECT_EQ(recorder.boxes[0].text, Cp1252FromUtf8(c.text));
    EXPECT_EQ(recorder.boxes[0].style, c.style);
    EXPECT_EQ(recorder.boxes[0].currentId, c.id);
    if (!c.helpText[0])
        return;
    const RecordedBox& help = recorder.boxes[1];
    EXPECT_EQ(help.caption, Cp1252FromUtf8(c.helpCaption));
    EXPECT_EQ(help.text, Cp1252FromUtf8(c.helpText));
    EXPECT_EQ(help.style, 0x40u);
    EXPECT_EQ(help.currentId, c.id);
    EXPECT_EQ(recorder.idAfterHelp, c.id); // the first box is still the current one
}
INSTANTIATE_TEST_SUITE_P(Catalogue, ShowMessageBox, ::testing::Values(
    Box{1, "Falsche BlockID (XY).\r\n'FID' Erwartet.", "Fehler   (Fehler #1)",
        "Falsche BlockID (XY).\r\n'FID' Erwartet.", 0x10,
        "Schnellhilfe zu Fehler #1",
        "Schnellhilfe zu  Fehler #1\r\n\r\n#Allgemeiner Fehler - Muss später angepasst werden#"},
    Box{101, "17", "Fehler   (Fehler #2)", "Aufgabennummer nicht gefunden: 17", 0x10},
    Box{102, "9", "Fehler   (Fehler #3)", "Fehler: Unbekannter Viewmodus (9)", 0x10},
    Box{103, "4", "Fehler   (Fehler #4)", "Unbekannte Druckoption: 4", 0x10},
    Box{104, "", "Fehler   (Fehler #5)", "Fehler beim Öffnen der Datei", 0x10},
    Box{105, "", "Fehler   (Fehler #6)", "Datei konnte nicht gespeichert werden", 0x10},
    Box{105, "ignored", "Fehler   (Fehler #6)", "Datei konnte nicht gespeichert werden", 0x10},
    Box{106, "Quiz", "Fehler   (Fehler #7)", "Falsche FileID (Quiz).\r\n'TesterFile' Erwartet.",
        0x10},
    Box{107, "/tmp/leer.vdr", "Fehler   (Fehler #8)",
        "Die Datei (/tmp/leer.vdr) enthält keine Daten.", 0x10},
    Box{108, "", "Fehler   (Fehler #9)", "Index der Aufgabe konnte nicht ermittelt werden", 0x10},
    Box{109, "3", "Fehler   (Fehler #10)", "Index der Aufgabe (3) konnte nicht ermittelt werden",
        0x10},
    Box{2, "Achtung", "Warnung   (Warnung #1)", "Achtung", 0x30,
        "Schnellhilfe zu Warnung #1",
        "Schnellhilfe zu  Warnung #1\r\n\r\n#Allgemeine Warnung - Muss später angepasst "
        "werden#"},
    Box{3, "", "Info   (Meldung #1)", "", 0x40,
        "Schnellhilfe zu Meldung #1",
        "Schnellhilfe zu  Meldung #1\r\n\r\n#Allgemeine Information - Muss später angepasst "
        "werden#"},
    Box{301, "", "Prüfungssimulation starten   (Meldung #2)",
        "Klicken Sie auf OK, wenn Sie bereit sind, die Prüfungssimulation zu starten. Es wird "
        "dann zufällig ein Fragebogen ausgewählt, den Sie in der vorgegebenen Zeit bearbeiten "
        "können.",
        0x40},
    Box{302, "", "Prüfungssimulation beendet   (Meldung #3)",
        "Die Zeit ist abgelaufen. Bewerten Sie jetzt Ihre Antworten.", 0x40},
    Box{303, "", "Prüfungssimulation nicht möglich   (Meldung #4)",
        "Bei diesem Fragebogen ist keine Prüfungssimulation möglich.", 0x40},
    Box{304, "", "Fragebogen nicht wechselbar   (Meldung #5)",
        "Sie können während der Prüfungssimulation keinen anderen Fragebogen auswählen. "
        "Beenden Sie zuerst die Prüfungssimulation und dann die Prüfungsauswertung.",
        0x40},
    Box{305, "", "Fragebogen nicht wechselbar   (Meldung #6)",
        "Sie können während der Prüfungsauswertung keinen anderen Fragebogen auswählen. "
        "Beenden Sie zuerst die Prüfungsauswertung.",
        0x40},
    Box{306, "", "Keine passende Aufgabe mehr   (Meldung #7)",
        "Es konnte keine passende Aufgabe mehr gefunden werden", 0x40},
    Box{4, "Weiter?", "Frage   (Frage #1)", "Weiter?", 0x24,
        "Schnellhilfe zu Frage #1",
        "Schnellhilfe zu  Frage #1\r\n\r\n#Allgemeine Frage - Muss später angepasst werden#"},
    Box{401, "", "Statistik zurücksetzen?   (Frage #2)",
        "Soll die Statistik wirklich zurückgesetzt werden? Die Anzahl der richtigen und der "
        "falschen Beantwortungen wird dann zurückgesetzt.",
        0x4024,
        "Schnellhilfe zu Frage #2",
        "Schnellhilfe zu  Frage #2\r\n\r\nBei jeder Beantwortung wird gespeichert, ob richtig, falsch "
        "(oder evtl. auch teilrichtig) geantwortet wurde. Diese Statistik wird mit dieser Funktion "
        "zurückgesetzt. Klicken Sie auf 'Nein', wenn Sie die Statistikwerte beibehalten möchten."},
    Box{402, "", "Aufgabe löschen?   (Frage #3)",
        "Soll die aktuelle Aufgabe wirklich aus allen Fragebögen gelöscht werden?", 0x4024,
        "Schnellhilfe zu Frage #3",
        "Schnellhilfe zu  Frage #3\r\n\r\nMöchten Sie wirklich die momentan angezeigte Aufgabe "
        "unwiderruflich löschen? Die Aufgabe wird dann auch aus allen Fragebögen entfernt, in "
        "denen Sie vorkommt."},
    Box{403, "", "Prüfungssimulation beenden?   (Frage #4)",
        "Soll die Prüfungssimulation beendet werden?", 0x4024,
        "Schnellhilfe zu Frage #4",
        "Schnellhilfe zu  Frage #4\r\n\r\nEine Prüfungssimulation ist zur Zeit aktiv. Wenn Sie sie "
        "abbrechen, gelangen Sie zur Prüfungsauswertung und können Ihre Antworten bewerten."},
    Box{404, "", "Prüfungsauswertung beenden?   (Frage #5)",
        "Soll die Prüfungsauswertung beendet werden?", 0x4024,
        "Schnellhilfe zu Frage #5",
        "Schnellhilfe zu  Frage #5\r\n\r\nEine Prüfungsauswertung ist zur Zeit aktiv. Wenn Sie sie "
        "abbrechen, wird Ihr Prüfungsergebnis angezeigt"},
    Box{405, "", "Prüfungsauswertung beenden?   (Frage #6)",
        "Es wurden noch nicht alle Aufgaben bewertet. Sollen die fehlenden Aufgaben als falsch "
        "gewertet werden? Klicken Sie auf 'Nein', um die unbewerteten Aufgaben als richtig zu "
        "werten. Klicken Sie auf 'Abbrechen', um zur Bewertung zurückzukehren.",
        0x4023,
        "Schnellhilfe zu Frage #6",
        "Schnellhilfe zu  Frage #6\r\n\r\nEine Prüfungsauswertung ist zur Zeit aktiv, es wurden "
        "jedoch noch nicht alle Aufgaben von Ihnen bewertet.\r\nSie können auf 'Ja' klicken, um "
        "die restlichen (unbewerteten) Aufgaben als Falsch zu werten.\r\nSie können auf 'Nein' "
        "klicken, um die restlichen (unbewerteten) Aufgaben als richtig zu werten.\r\nSie "
        "können auf 'Abbrechen' klicken, um die restlichen (unbewerteten) Aufgaben selbst zu "
        "bewerten."},
    Box{999, "x", "Fehler #999", "Unbekannter Fehler\r\nx", 0x10},
    Box{0, "", "Fehler #0", "Unbekannter Fehler\r\n", 0x10},
    Box{-5, "y", "Fehler #-5", "Unbekannter Fehler\r\ny", 0x10}));

TEST(ShowMessageParam, ReplacesEveryPlaceholderAndOnlyOnce) {
    RecordingPresenter recorder;
    (void)ShowMessage(1, "a{PARAM}b");
    (void)ShowMessage(101, std::string("\xE4\0z", 3));
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].text, "a{PARAM}b");
    EXPECT_EQ(recorder.boxes[1].text, std::string("Aufgabennummer nicht gefunden: \xE4\0z", 34));
}

TEST(ShowMessageResult, ReturnsThePressedButton) {
    RecordingPresenter recorder;
    recorder.answers = {ResultYes, ResultNo, ResultCancel, ResultOk};
    EXPECT_EQ(ShowMessage(401, ""), ResultYes);
    EXPECT_EQ(ShowMessage(402, ""), ResultNo);
    EXPECT_EQ(ShowMessage(405, ""), ResultCancel);
    EXPECT_EQ(ShowMessage(12345, ""), ResultOk);
}

TEST(KindWord, FollowsTheIconBits) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x10, "Fehler"}, {0x20, "Frage"}, {0x30, "Warnung"}, {0x40, "Meldung"}, {0x24, "Frage"},
        {0x4024, "Frage"}, {0x4023, "Frage"}, {0x0, ""}, {0x4003, ""}, {0x50, "Meldung"},
        {0x60, "Meldung"}, {0x70, "Warnung"}, {0x34, "Warnung"}};
    for (const auto& [style, word] : cases)
        EXPECT_EQ(MessageKindWord(style), word) << std::hex << style;
}

TEST(QuickHelpOutsideABox, ShowsNothing) {
    RecordingPresenter recorder;
    ShowQuickHelp();
    (void)ShowMessage(402, "");
    ShowQuickHelp(); // the box has closed again
    EXPECT_EQ(recorder.boxes.size(), 1u);
}

TEST(FormatNumber, Pads) {
    const std::tuple<int, int, const char*> cases[] = {
        {5, 0, "5"}, {5, 2, "05"}, {-1, 0, "-1"}, {7, 3, "007"}, {1234, 2, "1234"}, {0, 0, "0"},
        {0, 1, "0"}, {-7, 3, "-007"}, {2147483647, 0, "2147483647"},
        {-2147483647 - 1, 0, "-2147483648"}, {42, -3, "42"}};
    for (const auto& [value, digits, text] : cases)
        EXPECT_EQ(FormatNumber(value, digits), text) << value << "/" << digits;
}

TEST(StreamPresenter, PrintsCaptionAndTextAsUtf8Lines) {
    std::ostringstream out;
    cStreamPresenter presenter(out);
    SetMessagePresenter(&presenter);
    const int result = ShowMessage(106, "Qu\xE4l");
    SetMessagePresenter(nullptr);
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(out.str(),
              "Fehler   (Fehler #7)\nFalsche FileID (Qu\xC3\xA4l).\n'TesterFile' Erwartet.\n");
}

TEST(UnattendedAnswer, NeverConfirms) {
    const std::pair<std::uint32_t, int> cases[] = {
        {0x10, ResultOk}, {0x40, ResultOk}, {0x30, ResultOk}, {0x24, ResultNo},
        {0x4024, ResultNo}, {0x4023, ResultCancel}, {0x1, ResultCancel}};
    for (const auto& [style, answer] : cases) {
        EXPECT_EQ(UnattendedAnswer(style), answer) << std::hex << style;
        std::ostringstream out;
        EXPECT_EQ(cStreamPresenter(out).Present("c", "t", style), answer) << std::hex << style;
    }
}

TEST(ConsoleText, CarriageReturnLineFeedIsOneBreak) {
    EXPECT_EQ(ConsoleText("a\r\nb\r\n\r\nc"), "a\nb\n\nc");
    EXPECT_EQ(ConsoleText("a\rb\n"), "a\rb\n");
    EXPECT_EQ(ConsoleText("\x80\x81\xFF"), "\xE2\x82\xAC\xC2\x81\xC3\xBF");
    EXPECT_EQ(ConsoleText("\r"), "\r");
}

TEST(DefaultPresenter, IsRestoredAfterReset) {
    RecordingPresenter* recorder = new RecordingPresenter;
    EXPECT_EQ(&MessagePresenter(), recorder);
    delete recorder;
    EXPECT_NE(dynamic_cast<cStreamPresenter*>(&MessagePresenter()), nullptr);
}

} // namespace
