#pragma once
// What the query's screen consists of: the view modes, the self-assessment choices, the
// tick icons, and which controls a state shows.

#include <array>

/// Display modes of the view.
enum ViewMode : int {
    ModeNone = 0,
    ModeOverview = 2, // questionnaire overview
    ModeTaskList = 3, // task list of the open questionnaire
    ModeQuestion = 4, // question asked
    ModeResult = 5,   // result or solution shown
    ModeRating = 6,   // self-assessment, or rating during the exam evaluation
};

/// The self-assessment radio group.
enum AssessChoice : int {
    AssessNone = -1,
    AssessRight = 0,  // "Richtig (volle Punktzahl)"
    AssessPartly = 1, // "Teilrichtig"
    AssessWrong = 2,  // "Falsch (0 Punkte)"
};

/// Icons of the multiple-choice tick boxes.
enum TickIcon : int {
    TickIconOff = 148,
    TickIconOn = 149,
    TickIconTickedRight = 150,   // ticked and in the solution
    TickIconTickedWrong = 151,   // ticked but not in the solution
    TickIconMissed = 152,        // not ticked but in the solution
    TickIconNeither = 153,       // neither ticked nor in the solution
};

/// Number of multiple-choice rows the view shows.
inline constexpr int kViewChoiceRows = 3;

/// Which controls are visible in the current state, and how they look.
struct cScreen {
    bool heading = false;
    bool questionnaireList = false;
    bool taskList = false;
    bool resultText = false;
    bool answerField = false;
    bool answerReadOnly = false;
    bool skip = false;         // 1004 "Überspringen"
    bool showSolution = false; // 1014 "Lösung anzeigen"
    bool ok = false;           // 1003 "OK"
    bool edit = false;         // 1013 "Bearbeiten"
    bool play = false;         // 1006 "Abspielen"
    bool pause = false;        // 1073 "Pause"
    bool picture = false;      // 1007 "Bild anzeigen"
    bool rightMark = false;    // 1011
    bool wrongMark = false;    // 1012
    bool radioRight = false;   // 1071
    bool radioPartly = false;  // 1072
    bool radioWrong = false;   // 1070
    bool pointsList = false;   // 1076
    bool examBar = false;      // 1063
    int choiceRows = 0;        // multiple-choice rows shown (0..3)
    std::array<int, kViewChoiceRows> tickIcon{}; // TickIcon of each shown row
};
