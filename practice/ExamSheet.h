#pragma once
// Exam sheets on paper: which tasks go on each variant ("Gruppe A", "Gruppe B", ...) and
// in which order, the texts of the answer key, and the layout of the sheets and the key
// as pages of positioned lines, rules and boxes. Drawing is the window's part.

#include "data/TrainingData.h"
#include "practice/PrintLayout.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kExamSheetMaxVariants = 6;
inline constexpr int kExamRuleChars = 40; // characters of a solution per ruled answer line

/// Where the answer key goes.
enum ExamKeyMode : int {
    ExamKeyNone = 0,     // no key
    ExamKeyAppended = 1, // after the sheets, starting on a new page
    ExamKeySeparate = 2, // a document of its own
};

/// What the teacher chose for one print job. Texts are Windows-1252.
struct cExamSheetOptions {
    std::string m_strTitle;
    bool m_bNameLine = true;
    bool m_bDateLine = true;
    bool m_bClassLine = true;
    int m_nTaskCount = 0; // 0 or at least the questionnaire's size: all tasks
    bool m_bShuffle = false;
    int m_nVariants = 1; // 1 to kExamSheetMaxVariants
    std::uint32_t m_nSeed = 0;
    bool m_bPoints = true;
    int m_nKey = ExamKeyAppended;
    bool operator==(const cExamSheetOptions&) const = default;
};

/// One task on a variant: the task's index and the order of its multiple-choice answers
/// (slot numbers; empty for other tasks).
struct cExamEntry {
    std::uint32_t task = 0;
    std::vector<int> choices;
    bool operator==(const cExamEntry&) const = default;
};

struct cExamVariant {
    std::string name; // "Gruppe A", ...; "" when there is one variant
    std::vector<cExamEntry> entries;
};

/// A whole job: the variants and the texts every page of it shares.
struct cExamSheet {
    cExamSheetOptions options;
    std::string questionnaireTitle;
    std::vector<cExamVariant> variants;
    int totalPoints = 0;
    std::string totalLine; // "Insgesamt 20 Punkte" or "Bestanden ab 14 von 20 Punkten", "" without points
};

/// Builds the variants of questionnaire q: the same tasks (all, or m_nTaskCount drawn at
/// random) in each, in list order or, when shuffled or with more than one variant, in an
/// order of their own per variant, with the multiple-choice answers shuffled alike. The
/// same seed gives the same variants, and variant k does not depend on how many follow.
/// False when q does not exist or has no task.
[[nodiscard]] bool MakeExamSheet(const cTrainingData& data, int q, const cExamSheetOptions& options,
                                 cExamSheet& out);

/// Number of ruled answer lines for a solution: one per started kExamRuleChars characters
/// of each of its lines, at least two.
[[nodiscard]] int ExamRuleCount(const std::string& solution);

/// "(1 Punkt)", "(3 Punkte)".
[[nodiscard]] std::string ExamPointsText(int points);

/// The accepted alternatives of a task's pattern that differ from its solution (letter
/// case ignored), in pattern order, each once.
[[nodiscard]] std::vector<std::string> ExamAlternatives(const cTask& task);

/// One thing drawn on a page. Positions are device units of the page.
struct cSheetItem {
    enum Kind : std::uint8_t { Text, Rule, Box, Tick, Picture };
    enum Style : std::uint8_t { Normal, Bold, Heading };
    enum Align : std::uint8_t { Left, Right, Centre };
    Kind kind = Text;
    Style style = Normal;
    Align align = Left;
    cPrintRect box;
    std::string text;                     // Text: the line; Picture: the task's picture name
    std::int64_t task = -1;               // the number of a task (its index) marks where it starts
};

struct cSheetPage {
    std::vector<cSheetItem> items;
};

/// The sheets of every variant, then the key's pages (from keyPage on; none without key).
struct cSheetDocument {
    std::vector<cSheetPage> pages;
    std::size_t keyPage = 0;
};

/// Measuring of the output device: text in the three styles and the pictures of tasks.
class cSheetMeasure {
public:
    virtual ~cSheetMeasure() = default;
    /// Width of a single-line text in device units.
    virtual int TextWidth(const std::string& text, cSheetItem::Style style) const = 0;
    /// Height of one line in device units.
    virtual int LineHeight(cSheetItem::Style style) const = 0;
    /// Width and height of a task's picture (only their ratio counts); 0, 0 when it
    /// cannot be read.
    virtual std::pair<int, int> PictureSize(const std::string& picture) const = 0;
};

/// Lays out the sheets of every variant and the key inside rect: each variant and the
/// key of each variant start on a new page; a task never breaks across pages, and one
/// taller than a page starts a page of its own and nothing follows it there.
[[nodiscard]] cSheetDocument LayoutExamSheet(const cTrainingData& data, const cExamSheet& sheet,
                                             const cPrintRect& rect, const cSheetMeasure& measure);

/// Lines of text no wider than width (words longer than a line are cut); line breaks
/// in the text start new lines, empty ones are kept.
[[nodiscard]] std::vector<std::string> WrapToWidth(const std::string& text, int width,
                                                   cSheetItem::Style style,
                                                   const cSheetMeasure& measure);
