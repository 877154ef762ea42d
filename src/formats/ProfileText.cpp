// The text side of the profile engine: finding and changing one value in the bytes of a file.
// Lines are found on code units, never on decoded text, so that an edit can put back every
// byte it does not change, whatever the file holds.
#include "formats/ProfileText.h"

#include "formats/TextCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace menu::formats {

namespace {

enum class Encoding { Utf16Le, Utf16Be, Utf8, Windows1250 };

// The file as a sequence of code units: bytes for 8-bit text, 16-bit units for UTF-16. Every
// character that gives a line its shape is ASCII, so it is the same unit in every encoding.
struct Units {
    const QByteArray &bytes;
    Encoding encoding = Encoding::Utf8;
    qsizetype bom = 0;    // bytes of the byte-order mark
    qsizetype count = 0;  // code units after the mark (an odd last byte of UTF-16 is not one)
    bool utf8Bom = false; // UTF-8 marked by its byte-order mark rather than found valid
    bool ascii = false;   // 8-bit text without a byte above 0x7F

    bool wide() const { return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be; }
    qsizetype find(char c, qsizetype from, qsizetype to) const
    {
        while (from < to && at(from) != static_cast<char16_t>(c))
            ++from;
        return from;
    }
    qsizetype byteAt(qsizetype unit) const { return bom + (wide() ? 2 * unit : unit); }
    char16_t at(qsizetype i) const
    {
        const auto *body = reinterpret_cast<const std::uint8_t *>(bytes.constData()) + bom;
        if (encoding == Encoding::Utf16Le)
            return static_cast<char16_t>(body[2 * i] | (body[2 * i + 1] << 8));
        if (encoding == Encoding::Utf16Be)
            return static_cast<char16_t>((body[2 * i] << 8) | body[2 * i + 1]);
        return body[i];
    }
    QString decode(qsizetype from, qsizetype to) const
    {
        const char *p = bytes.constData() + byteAt(from);
        const qsizetype n = to - from;
        switch (encoding) {
        case Encoding::Utf8:
            return QString::fromUtf8(p, n);
        case Encoding::Windows1250:
            return decodeCodePage(CodePage::Windows1250, p, n);
        default: {
            QString text(n, Qt::Uninitialized);
            for (qsizetype i = 0; i < n; ++i)
                text[i] = QChar(at(from + i));
            return text;
        }
        }
    }
};

Units describe(const QByteArray &bytes)
{
    Units units{bytes};
    const auto startsWith = [&](std::initializer_list<std::uint8_t> mark) {
        if (bytes.size() < qsizetype(mark.size()))
            return false;
        qsizetype i = 0;
        for (const std::uint8_t b : mark) {
            if (static_cast<std::uint8_t>(bytes[i++]) != b)
                return false;
        }
        return true;
    };
    if (startsWith({0xFF, 0xFE}) || startsWith({0xFE, 0xFF})) {
        units.encoding = bytes[0] == char(0xFF) ? Encoding::Utf16Le : Encoding::Utf16Be;
        units.bom = 2;
        units.count = (bytes.size() - 2) / 2;
        return units;
    }
    if (startsWith({0xEF, 0xBB, 0xBF})) {
        units.bom = 3;
        units.utf8Bom = true;
    }
    units.count = bytes.size() - units.bom;
    const char *body = bytes.constData() + units.bom;
    units.ascii = !units.utf8Bom && isAscii(body, units.count);
    if (!units.utf8Bom && !units.ascii && !isValidUtf8(body, units.count))
        units.encoding = Encoding::Windows1250;
    return units;
}

struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;  // end of the content, before the line break
    qsizetype next = 0; // start of the following line
    bool terminated() const { return next > end; }
};

template <typename Text> Line lineAt(const Text &text, qsizetype begin, qsizetype count)
{
    qsizetype i = begin;
    while (i < count && text.at(i) != u'\r' && text.at(i) != u'\n')
        ++i;
    Line line{begin, i, i};
    if (i < count)
        line.next =
            (text.at(i) == u'\r' && i + 1 < count && text.at(i + 1) == u'\n') ? i + 2 : i + 1;
    return line;
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    qsizetype nameBegin = 0, nameEnd = 0; // trimmed section or key name
    qsizetype valueBegin = 0;             // first unit after '='
};

template <typename Text> void trim(const Text &text, qsizetype &begin, qsizetype &end)
{
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
}

template <typename Text> Parsed parse(const Text &text, const Line &line)
{
    Parsed parsed;
    qsizetype start = line.begin;
    qsizetype end = line.end;
    trim(text, start, end);
    if (start == end || text.at(start) == u';')
        return parsed;
    if (text.at(start) == u'[') {
        // The name runs to the last ']'; a '[' line without one is an ordinary line.
        qsizetype close = end;
        while (close > start + 1 && text.at(close - 1) != u']')
            --close;
        if (close > start + 1) {
            parsed.kind = Kind::Section;
            parsed.nameBegin = start + 1;
            parsed.nameEnd = close - 1;
            trim(text, parsed.nameBegin, parsed.nameEnd);
            return parsed;
        }
    }
    qsizetype equals = start;
    while (equals < end && text.at(equals) != u'=')
        ++equals;
    if (equals == end)
        return parsed;
    parsed.nameBegin = start;
    parsed.nameEnd = equals;
    trim(text, parsed.nameBegin, parsed.nameEnd);
    if (parsed.nameBegin == parsed.nameEnd)
        return parsed;
    parsed.kind = Kind::Key;
    parsed.valueBegin = equals + 1;
    return parsed;
}

// A decoded line, for checking that written text reads back as meant.
struct StringUnits {
    const QString &text;
    char16_t at(qsizetype i) const { return text.at(i).unicode(); }
};

QString trimmedName(const QString &name)
{
    const StringUnits units{name};
    qsizetype begin = 0;
    qsizetype end = name.size();
    trim(units, begin, end);
    return name.mid(begin, end - begin);
}

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool sameName(const Units &units, const Parsed &parsed, const QString &name)
{
    // ASCII against ASCII needs no decoding; anything else is compared with Unicode case
    // folding, under which a few other characters equal ASCII letters.
    const qsizetype length = parsed.nameEnd - parsed.nameBegin;
    bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
    for (qsizetype i = parsed.nameBegin; ascii && i < parsed.nameEnd; ++i)
        ascii = units.at(i) < 0x80;
    if (!ascii)
        return units.decode(parsed.nameBegin, parsed.nameEnd).compare(name, Qt::CaseInsensitive) ==
               0;
    if (length != name.size())
        return false;
    for (qsizetype i = 0; i < length; ++i) {
        if (asciiLower(units.at(parsed.nameBegin + i)) != asciiLower(name.at(i).unicode()))
            return false;
    }
    return true;
}

QString valueOf(const Units &units, const Parsed &parsed, const Line &line)
{
    qsizetype begin = parsed.valueBegin;
    qsizetype end = line.end;
    trim(units, begin, end);
    if (end - begin >= 2 && units.at(begin) == units.at(end - 1) &&
        (units.at(begin) == u'"' || units.at(begin) == u'\'')) {
        ++begin;
        --end;
    }
    // Decode no more than the longest value needs: a UTF-8 character takes up to four bytes.
    const qsizetype enough =
        units.encoding == Encoding::Utf8 ? 4 * (kProfileValueMax + 2) : kProfileValueMax + 2;
    QString value = units.decode(begin, std::min(end, begin + enough));
    if (value.size() > kProfileValueMax) {
        value.truncate(kProfileValueMax);
        if (value.back().isHighSurrogate()) // never leave half a character
            value.chop(1);
    }
    return value;
}

// Where a section and a key stand in the file.
struct Location {
    bool sectionFound = false;
    Line lastFilled; // the section's last non-blank line (its header at least)
    bool keyFound = false;
    Line keyLine;
    Parsed key;
    QString lineBreak; // the file's first line break
};

Location locate(const Units &units, const QString &section, const QString &key)
{
    Location where;
    bool inside = false;
    for (qsizetype pos = 0; pos < units.count;) {
        const Line line = lineAt(units, pos, units.count);
        pos = line.next;
        if (where.lineBreak.isEmpty() && line.terminated())
            where.lineBreak = units.decode(line.end, line.next);
        const Parsed parsed = parse(units, line);
        if (parsed.kind == Kind::Section) {
            if (inside)
                break; // only the first section of a name counts
            inside = sameName(units, parsed, section);
            if (inside) {
                where.sectionFound = true;
                where.lastFilled = line;
            }
            continue;
        }
        if (!inside)
            continue;
        qsizetype b = line.begin;
        qsizetype e = line.end;
        trim(units, b, e);
        if (b < e)
            where.lastFilled = line;
        if (parsed.kind == Kind::Key && sameName(units, parsed, key)) {
            where.keyFound = true;
            where.keyLine = line;
            where.key = parsed;
            return where;
        }
    }
    return where;
}

QString checkNames(const QString &section, const QString &key, const QString &value)
{
    const auto hasBreak = [](const QString &s) {
        return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'));
    };
    if (section.isEmpty() || key.isEmpty())
        return QStringLiteral("empty section or key name");
    if (hasBreak(section) || hasBreak(key) || hasBreak(value))
        return QStringLiteral("line break in a section name, key name or value");
    if (!section.isValidUtf16() || !key.isValidUtf16() || !value.isValidUtf16())
        return QStringLiteral("half of a character in a section name, key name or value");
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    const StringUnits headerUnits{header};
    const Parsed h = parse(headerUnits, Line{0, header.size(), header.size()});
    if (h.kind != Kind::Section || header.mid(h.nameBegin, h.nameEnd - h.nameBegin) != section)
        return QStringLiteral("section name cannot be stored");
    const QString entry = key + QLatin1Char('=') + value; // "[a=b]" would open a section
    const StringUnits entryUnits{entry};
    const Parsed k = parse(entryUnits, Line{0, entry.size(), entry.size()});
    if (k.kind != Kind::Key || entry.mid(k.nameBegin, k.nameEnd - k.nameBegin) != key)
        return QStringLiteral("key name cannot be stored");
    return {};
}

QByteArray encodeWide(const QString &text, bool bigEndian)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        const char hi = static_cast<char>(u >> 8);
        const char lo = static_cast<char>(u & 0xFF);
        bytes[2 * i] = bigEndian ? hi : lo;
        bytes[2 * i + 1] = bigEndian ? lo : hi;
    }
    return bytes;
}

QByteArray splice(const QByteArray &bytes, qsizetype from, qsizetype to, const QByteArray &with)
{
    QByteArray result;
    result.reserve(bytes.size() - (to - from) + with.size());
    result.append(bytes.constData(), from);
    result.append(with);
    result.append(bytes.constData() + to, bytes.size() - to);
    return result;
}

ProfileEdit failed(const QByteArray &bytes, const QString &reason, bool encoding = false)
{
    return {bytes, reason, encoding};
}

// bytes with the units from..to replaced by text, in the file's encoding.
ProfileEdit spliced(const QByteArray &bytes, const Units &units, qsizetype byteFrom,
                    qsizetype byteTo, const QString &text)
{
    if (units.wide())
        return {
            splice(bytes, byteFrom, byteTo, encodeWide(text, units.encoding == Encoding::Utf16Be)),
            {},
            false};
    if (units.encoding == Encoding::Utf8 && !units.ascii)
        return {splice(bytes, byteFrom, byteTo, text.toUtf8()), {}, false};

    const auto eightBit = encodeCodePage(CodePage::Windows1250, text);
    if (units.ascii) {
        // Plain ASCII so far: Windows-1250 when everything fits and cannot be taken for UTF-8.
        if (eightBit) {
            QByteArray result = splice(bytes, byteFrom, byteTo, *eightBit);
            if (isAscii(result.constData(), result.size()) || !isValidUtf8(result))
                return {result, {}, false};
        }
        return {splice(bytes, byteFrom, byteTo, text.toUtf8()), {}, false};
    }
    if (!eightBit)
        return failed(bytes,
                      QStringLiteral("the text does not fit the file's Windows-1250 "
                                     "encoding"),
                      true);
    QByteArray result = splice(bytes, byteFrom, byteTo, *eightBit);
    if (!isAscii(result.constData(), result.size()) && isValidUtf8(result))
        return failed(bytes,
                      QStringLiteral("the file would then read as UTF-8 and change its other text"),
                      true);
    return {result, {}, false};
}

// 8-bit text as code units, read without asking the encoding at every unit.
struct ByteUnits {
    const char *body;
    char16_t at(qsizetype i) const { return static_cast<std::uint8_t>(body[i]); }
    qsizetype find(char c, qsizetype from, qsizetype count) const
    {
        const auto *found = static_cast<const char *>(std::memchr(body + from, c, count - from));
        return found == nullptr ? count : found - body;
    }
};

// Calls found(line, parsed) for each section header of text in order: a line whose first unit
// past its blanks is '[', which memchr finds in 8-bit text far faster than a walk of each line.
template <typename Text, typename Found>
void forEachHeader(const Text &text, qsizetype count, const Found &found)
{
    for (qsizetype pos = 0; (pos = text.find('[', pos, count)) < count;) {
        qsizetype start = pos++;
        while (start > 0 && isBlank(text.at(start - 1)))
            --start;
        if (start > 0 && text.at(start - 1) != u'\r' && text.at(start - 1) != u'\n')
            continue;
        const Line line = lineAt(text, start, count);
        pos = line.next;
        if (const Parsed parsed = parse(text, line); parsed.kind == Kind::Section)
            found(line, parsed);
    }
}

} // namespace

std::optional<QString> profileLookup(const QByteArray &bytes, const QString &section,
                                     const QString &key)
{
    const QString wantedSection = trimmedName(section);
    const QString wantedKey = trimmedName(key);
    if (wantedSection.isEmpty() || wantedKey.isEmpty())
        return std::nullopt;
    const Units units = describe(bytes);
    const Location where = locate(units, wantedSection, wantedKey);
    if (!where.keyFound)
        return std::nullopt;
    return valueOf(units, where.key, where.keyLine);
}

ProfileIndex::ProfileIndex(const QByteArray &bytes) : bytes_(bytes)
{
    const Units units = describe(bytes_);
    encoding_ = static_cast<int>(units.encoding);
    bom_ = units.bom;
    count_ = units.count;
    const auto found = [&](const Line &line, const Parsed &parsed) {
        if (!sections_.empty())
            sections_.back().end = line.begin;
        sections_.push_back({parsed.nameBegin, parsed.nameEnd, line.next, count_});
    };
    if (units.wide())
        forEachHeader(units, count_, found);
    else
        forEachHeader(ByteUnits{bytes_.constData() + bom_}, count_, found);
}

std::optional<QString> ProfileIndex::lookup(const QString &section, const QString &key) const
{
    const QString wantedSection = trimmedName(section);
    const QString wantedKey = trimmedName(key);
    if (wantedSection.isEmpty() || wantedKey.isEmpty())
        return std::nullopt;
    const Units units{bytes_, static_cast<Encoding>(encoding_), bom_, count_};
    // Only the first section of a name counts; the keys of a later one are never seen.
    const auto named = std::find_if(sections_.begin(), sections_.end(), [&](const Section &s) {
        return sameName(units, Parsed{Kind::Section, s.nameBegin, s.nameEnd, 0}, wantedSection);
    });
    if (named == sections_.end())
        return std::nullopt;
    // The first key of a name wins.
    for (qsizetype pos = named->begin; pos < named->end;) {
        const Line line = lineAt(units, pos, named->end);
        pos = line.next;
        if (const Parsed parsed = parse(units, line);
            parsed.kind == Kind::Key && sameName(units, parsed, wantedKey))
            return valueOf(units, parsed, line);
    }
    return std::nullopt;
}

ProfileEdit profileEdit(const QByteArray &bytes, const QString &section, const QString &key,
                        const QString &value)
{
    const QString name = trimmedName(section);
    const QString entry = trimmedName(key);
    if (const QString reason = checkNames(name, entry, value); !reason.isEmpty())
        return failed(bytes, reason);

    const Units units = describe(bytes);
    const Location where = locate(units, name, entry);
    const QString lineBreak = where.lineBreak.isEmpty() ? QStringLiteral("\r\n") : where.lineBreak;

    // The units to replace and the text that takes their place.
    qsizetype from = units.count;
    qsizetype to = units.count;
    QString text;
    if (where.keyFound) {
        // Keep the key as written, its '=' and the blanks after it.
        from = where.key.valueBegin;
        while (from < where.keyLine.end && isBlank(units.at(from)))
            ++from;
        to = where.keyLine.end;
        text = value;
    } else if (where.sectionFound) {
        // After the section's last filled line, ending like that line does: a lone CR before
        // a blank LF line would otherwise pair up with it.
        const Line &last = where.lastFilled;
        const QString added = entry + QLatin1Char('=') + value;
        from = to = last.terminated() ? last.next : last.end;
        text = last.terminated() ? added + units.decode(last.end, last.next) : lineBreak + added;
    } else {
        const bool open = units.count > 0 && lineAt(units, units.count - 1, units.count).end ==
                                                 units.count; // last line without its break
        text = (open ? lineBreak : QString()) + QLatin1Char('[') + name + QLatin1Char(']') +
               lineBreak + entry + QLatin1Char('=') + value + lineBreak;
    }

    return spliced(bytes, units, units.byteAt(from), units.byteAt(to), text);
}

QByteArray profileUpdate(const QByteArray &bytes, const QString &section, const QString &key,
                         const QString &value)
{
    return profileEdit(bytes, section, key, value).bytes;
}

} // namespace menu::formats
