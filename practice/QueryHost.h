#pragma once
// What the query needs from its surroundings: a host that shows the state (the window,
// the terminal, a test), a sound player, a clock and a random source. Message boxes do
// not pass through here; they go through the message catalogue (base/Message.h).

#include <string>

/// Local wall-clock time as the exam countdown needs it.
struct cLocalTime {
    int month = 1;  // 1..12
    int day = 1;    // day of month, 1..31
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
    int second = 0; // 0..59
};

/// Bits of cQueryHost::Changed: what the host has to show anew.
enum QueryChange : unsigned {
    ChangeMode = 1u << 0,           // view mode, and so the visibility of every control
    ChangeRow = 1u << 1,            // current row or selection mark of the task list
    ChangeTexts = 1u << 2,          // heading, result text, answer text, choice texts
    ChangeRows = 1u << 3,           // task list rebuilt, sorted or rows removed
    ChangeQuestionnaires = 1u << 4, // questionnaire list content or its selection
    ChangeAssessment = 1u << 5,     // self-assessment choice or points list
    ChangeTicks = 1u << 6,          // multiple-choice ticks
    ChangeExamBar = 1u << 7,        // countdown bar text, colours, range or position
    ChangeExamState = 1u << 8,      // exam flags (enable state of the exam commands)
    ChangeColumns = 1u << 9,        // columns of the task list
};

/// The front end that shows a cQuery. Every function has an empty default.
class cQueryHost {
public:
    virtual ~cQueryHost() = default;
    /// Some state changed; what is a combination of QueryChange bits.
    virtual void Changed(unsigned what) { (void)what; }
    /// The texts or image of one row of the task list changed.
    virtual void RowChanged(int row) { (void)row; }
    /// The warning tone after a wrong answer.
    virtual void Beep() {}
};

/// Plays the sound of a task. The window plugs in a real player; tests use a fake.
class cSoundPlayer {
public:
    virtual ~cSoundPlayer() = default;
    /// Opens the file at this full path (UTF-8); false when it cannot be played.
    virtual bool Open(const std::string& path) = 0;
    /// Releases the open file, if any.
    virtual void Close() = 0;
    /// Plays from the current position.
    virtual void Play() = 0;
    /// Pauses at the current position.
    virtual void Pause() = 0;
    /// Stops and rewinds to the beginning.
    virtual void Stop() = 0;
    /// Volume from 0 to 1000.
    virtual void SetVolume(int volume) { (void)volume; }
    /// Whether the open file can be played now.
    virtual bool CanPlay() const { return true; }
};
