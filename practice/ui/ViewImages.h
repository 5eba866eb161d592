#pragma once
// The training view's images, drawn in code: the task statistics images of the task
// list, the questionnaire icons of the overview, the right and wrong marks, the tick
// boxes of the multiple-choice rows and the media buttons' icons.

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace ViewImages {

/// Size of a task image (statistics column of the task list).
inline constexpr QSize kTaskImageSize{32, 18};
/// Size of a questionnaire icon (overview).
inline constexpr QSize kQuestionnaireImageSize{32, 32};
/// Size of the marks and tick boxes of the question screen.
inline constexpr QSize kMarkSize{24, 24};
/// Size of the media buttons' icons.
inline constexpr QSize kMediaIconSize{20, 20};

/// Task images 0-68: 0 never answered, 1-66 statistics, 67/68 answered or not in the exam.
inline constexpr int kTaskImageCount = 69;
inline constexpr int kTaskImageAnswered = 67;
inline constexpr int kTaskImageNotAnswered = 68;
/// Number of questionnaire icons; other indices show icon 0.
inline constexpr int kQuestionnaireImageCount = 8;

// Icon ids of the question screen.
inline constexpr int kIconRight = 129;
inline constexpr int kIconWrong = 133;
inline constexpr int kIconPlay = 136;
inline constexpr int kIconPicture = 145;
inline constexpr int kIconPause = 147;
inline constexpr int kIconBoxEmpty = 148;
inline constexpr int kIconBoxTicked = 149;
inline constexpr int kIconTickedRight = 150;     // ticked and in the solution
inline constexpr int kIconTickedWrong = 151;     // ticked but not in the solution
inline constexpr int kIconMissed = 152;          // not ticked but in the solution
inline constexpr int kIconUntickedRight = 153;   // neither ticked nor in the solution

/// Tenths of right and of wrong answers that statistics image 1-66 stands for; false
/// for any other index.
bool StatisticsShares(int index, int& rightTenths, int& wrongTenths);

/// Task image by index (32 x 18); an index outside 0-68 gives a transparent image.
const QPixmap& TaskImage(int index);
/// Questionnaire icon by index (32 x 32); indices outside the set give icon 0.
const QPixmap& QuestionnaireImage(int index);
/// Mark, tick box or media icon by its id; an unknown id gives a null pixmap.
const QPixmap& IconImage(int id);

// Colours of the statistics bars, also used by tests to read the images back.
inline constexpr QRgb kRightColour = 0xFF2E9E44;
inline constexpr QRgb kPartColour = 0xFFF0C419;
inline constexpr QRgb kWrongColour = 0xFFD23C3C;
inline constexpr QRgb kEmptyColour = 0xFFE9E9E9;

/// Left edge of the bar inside a task image and its width in pixels (three per tenth).
inline constexpr int kBarLeft = 1;
inline constexpr int kBarWidth = 30;

} // namespace ViewImages
