// Dates and times as the user types and reads them: completing a partly typed date from today's
// date, and reading and writing dates and times in the regional formats.
#pragma once

#include "platform/Regional.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace menu::widgets {

// text with every blank, comma, hyphen, full stop, slash and colon replaced by separator;
// digits stay, every other character is dropped.
QString unifyDateSeparators(const QString &text, QChar separator);

// text followed by separator, unless it already ends with it; an empty text stays empty.
QString appendSeparator(const QString &text, QChar separator);

// Part n (1 day, 2 month, 3 year in a d.M.yyyy date) of text split at separator: part 1 is the
// text before the first separator (all of it without one); part 2 lies between the first and
// the last separator, or runs to the end when there is only one; part 3 follows the last
// separator after the first. Missing parts and any other n are empty.
QString datePart(const QString &text, int n, QChar separator);

// Completes a typed date: separators are unified, a missing month and year or a missing year
// are taken from today, and the date is read and written back in the short date format
// ("5" on 15.3.2024 gives "5.3.2024", "5/4" gives "5.4.2024"). An empty text stays empty.
// Nothing when the completed text is not a date. The completion takes today's parts 2 and 3 by
// position, so it assumes a short date format ordered day, month, year.
std::optional<QString> completeDate(const QString &text, const platform::RegionalFormats &formats,
                                    QDate today);

// The date that text gives in the short date format: day, month and year in the order of the
// format, separated by the date separator; without a year the current one is meant, and a year
// of one or two digits lies within 50 years of today. Surrounding blanks are ignored.
std::optional<QDate> readDate(const QString &text, const platform::RegionalFormats &formats,
                              QDate today);

// date written with a date format picture (d, dd, M, MM, yy, yyyy; other characters copied).
QString formatDate(QDate date, const QString &format);

// The time of day that text gives: hours, minutes and optional seconds separated by the time
// separator of the long time format, optionally followed by AM or PM.
std::optional<QTime> readTime(const QString &text, const platform::RegionalFormats &formats);

// time written with a time format picture (H, HH, h, hh, m, mm, s, ss, AP, ap, tt).
QString formatTime(QTime time, const QString &format);

} // namespace menu::widgets
