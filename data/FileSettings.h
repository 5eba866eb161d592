#pragma once
// What the two file settings dialogs show and take back, without the dialogs: the
// selection filter, the typing tolerances and the random order ("Dateieinstellungen"),
// the automatic questionnaire, the templates and the scrambling ("Erweiterte
// Dateieigenschaften").

#include "data/TrainingData.h"

#include <cstdint>
#include <string>

/// The members of "Dateieinstellungen": three texts and four check states (0 or 1).
struct cFileSettingsTexts {
    std::string maxWords;   // 1019 "bei denen die Antwort aus maximal ..."
    std::string minRight;   // 1028 "die noch nicht mindestens ..."
    std::string minPercent; // 1030 "die noch nicht zu mindestens ..."
    int allowSwap = 0;      // 1020 "2 vertauschte Buchstaben zulassen"
    int allowExtra = 0;     // 1021 "Zusätzlichen Buchstaben zulassen"
    int allowMissing = 0;   // 1022 "Fehlenden Buchstaben zulassen"
    int random = 0;         // 1029 "Zufällige Abfrage"

    bool operator==(const cFileSettingsTexts&) const = default;
};

/// The members of "Erweiterte Dateieigenschaften".
struct cFilePropsValues {
    int showAll = 0;              // 1037 "Extrafragebogen mit allen Fragen anzeigen"
    std::string questionTemplate; // 1038
    std::string rightTemplate;    // 1035
    std::string wrongTemplate;    // 1036
    int crypt = -1;               // 1039, the selected entry; -1 for none

    bool operator==(const cFilePropsValues&) const = default;
};

/// Number of entries of the scrambling list (1039).
inline constexpr int kCryptEntries = 2;

/// atol of the text cut to its low 8 bits: "300" gives 44, "-1" 255, "x" 0.
[[nodiscard]] std::uint8_t ByteFromText(const std::string& text);

/// The settings dialog's members for the file's values (numbers in decimal).
[[nodiscard]] cFileSettingsTexts FileSettingsTexts(const cTrainingData& data);

/// Copies the settings dialog's members into the file's values.
void StoreFileSettingsTexts(const cFileSettingsTexts& texts, cTrainingData& data);

/// The extended dialog's members for the file's values; a scrambling value that names no
/// entry selects none.
[[nodiscard]] cFilePropsValues FilePropsValues(const cTrainingData& data);

/// Copies the extended dialog's members into the file's values (the selected entry as
/// 8 bits, so no selection stores 255).
void StoreFilePropsValues(const cFilePropsValues& values, cTrainingData& data);
