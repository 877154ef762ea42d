// What the update dialog and the update commands decide and say: the comparison of the
// installed version with the announced one, the recommendation that follows from it, and the
// texts of the offer and of the boxes around an update.
#pragma once

#include <QString>

namespace menu::core {

// The dialog's cases: A nothing announced, B installed version not readable, C announced
// version not readable, D newer version announced, E same version, F installed version newer.
enum class UpdateCase { A, B, C, D, E, F };

// Versions are texts: compared code unit by code unit, never read as numbers, so 1.0.0.10
// is less than 1.0.0.9.
bool versionTextLess(const QString &a, const QString &b);

// A date DD.MM.YYYY as YYYYMMDD, for comparing the dates of two versions; both keys are
// empty unless the two dates together have exactly 20 characters.
void versionDateKeys(const QString &installedDate, const QString &announcedDate,
                     QString &installedKey, QString &announcedKey);

// The case for the installed and the announced version and date.
UpdateCase updateCaseFor(const QString &installedVersion, const QString &installedDate,
                         const QString &announcedVersion, const QString &announcedDate);

// A version as the dialog shows it: "v" + version + " zo dňa " + date; "žiadna" stands for
// a missing version and the date part is left out when the date is empty.
QString shownVersionText(const QString &version, const QString &date);

// Everything the dialog shows for one case. Colours: red, or the window-text colour.
struct UpdateRecommendation {
    UpdateCase updateCase = UpdateCase::A;
    QString note;              // fPoz
    bool noteRed = false;      // fPoz in red
    bool announcedRed = false; // fInt in red
    QString buttonCaption;     // bbImp
    bool buttonEnabled = false;
};

// launcher: the launcher's own package (downloaded and installed); otherwise Team Viewer
// (downloaded only).
UpdateRecommendation updateRecommendation(UpdateCase updateCase, bool launcher);

// The gauge's size label: "Veľkosť súboru : " + bytes + " b".
QString fileSizeText(qint64 bytes);

// The offer at start when a newer launcher is announced.
QString newVersionOfferText(const QString &version, const QString &date);

// An update command while the update information is being fetched.
QString updateCheckRunningText();

// No internet connection: the warning when the test worked, else the error text and hint.
QString noInternetText();
QString internetTestFailedText(const QString &text, const QString &hint);

} // namespace menu::core
