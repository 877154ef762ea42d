// The user's regional settings: the separators and formats in which numbers, dates and times
// are typed and shown, and today's date that completes a partly typed date.
#pragma once

#include <QChar>
#include <QDate>
#include <QString>

#include <utility>

namespace menu::platform {

class Clock;

// Format pictures use the letters of the system's regional settings: d, dd (day), M, MM
// (month), yy, yyyy (year); H, HH (hour 0-23), h, hh (hour 1-12), mm, ss, and AP or tt for
// the AM/PM designator. Every other character stands for itself.
struct RegionalFormats {
    QChar decimalSeparator;  // "," in Slovak
    QChar dateSeparator;     // "." in Slovak
    QString shortDateFormat; // "d.M.yyyy" in Slovak
    QString longTimeFormat;  // "H:mm:ss" in Slovak
    QString currencySymbol;  // "€" in Slovak

    // The separator between hours and minutes in the long time format (":" when it has none).
    QChar timeSeparator() const;
};

// The short date format as a user types dates: day, month and year as numbers in the
// system's order, joined by one separator character. Systems put a blank after each separator
// in several locales ("d. M. yyyy"), and some name the month ("d MMM yyyy"); a typed date has
// neither, and the date functions split at one separator character.
QString typedDateFormat(const QString &format);
// The first character of a date format that is no date letter ("." when there is none).
QChar dateSeparatorOf(const QString &format);

// The settings of a Slovak office computer.
RegionalFormats slovakFormats();

class RegionalSettings {
  public:
    virtual ~RegionalSettings() = default;
    virtual RegionalFormats formats() const = 0;
    virtual QDate today() const = 0; // local date
};

// Fixed settings and a fixed day: for tests, and wherever the values are already known.
class FixedRegionalSettings : public RegionalSettings {
  public:
    FixedRegionalSettings(RegionalFormats formats, QDate today)
        : formats_(std::move(formats)), today_(today)
    {
    }
    RegionalFormats formats() const override { return formats_; }
    QDate today() const override { return today_; }

  private:
    RegionalFormats formats_;
    QDate today_;
};

// The settings of the user running the program, read from the system once per call; today is
// taken from clock when one is given, else from the system's local time. Implemented once per
// system (posix/).
class SystemRegionalSettings : public RegionalSettings {
  public:
    explicit SystemRegionalSettings(const Clock *clock = nullptr) : clock_(clock) {}
    RegionalFormats formats() const override;
    QDate today() const override;

  private:
    const Clock *clock_;
};

} // namespace menu::platform
