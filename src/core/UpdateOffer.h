// What the update dialog and the update commands decide and say: the comparison of the
// installed version with the announced one, the recommendation that follows from it, and the
// texts of the offer and of the boxes around an update.
#pragma once

#include <QString>

namespace menu::core {

// What the update dialog finds when it compares the installed and the announced version. The
// letters are the names the package's support staff use for the cases.
enum class UpdateCase {
    A, // nothing is announced
    B, // the installed version cannot be read (shorter than a version can be)
    C, // the announced version cannot be read
    D, // a later version is announced: recommended
    E, // the same version is announced: possible, not needed
    F, // the installed version is later than the announced one: not yet published
};

// A date DD.MM.YYYY as YYYYMMDD, for comparing the dates of two versions; both keys are
// empty unless the two dates together have exactly 20 characters.
void versionDateKeys(const QString &installedDate, const QString &announcedDate,
                     QString &installedKey, QString &announcedKey);

// The case for the installed and the announced version and date.
UpdateCase updateCaseFor(const QString &installedVersion, const QString &installedDate,
                         const QString &announcedVersion, const QString &announcedDate);

// Everything the dialog shows for one case. Colours: red, or the window-text colour.
struct UpdateRecommendation {
    UpdateCase updateCase = UpdateCase::A;
    QString note;              // fPoz
    bool noteRed = false;      // fPoz in red
    bool announcedRed = false; // fInt in red
    QString buttonCaption;     // bbImp
    bool buttonEnabled = false;
};

} // namespace menu::core
