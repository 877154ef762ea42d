// An INI engine with the rules of the Windows profile-string functions, so that files made
// and edited on Windows read and write here exactly as they do there.
//
// Reading: section and key names compared without case (and with surrounding blanks
// removed); the value with surrounding blanks removed and one pair of enclosing quotes
// dropped, cut at 2047 characters; lines starting with ';' are comments; lines without '='
// are ignored; of duplicate sections and duplicate keys the first one wins; CRLF, LF or CR; the
// file is UTF-16 with a byte-order mark, UTF-8 (with a byte-order mark or valid UTF-8), or
// else Windows-1250.
//
// Writing changes only the line of its key (or adds the key at the end of its section, or
// the section at the end of the file); every other byte stays, the file keeps its encoding
// (a new file is 8-bit: Windows-1250 when every character fits, else UTF-8), keeps its line
// ending, and the new content replaces the old file atomically.
#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QString>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace menu::formats {

inline constexpr int kProfileValueMax = 2047;
// Larger files are not profile files: reads give nothing and writes fail.
inline constexpr qsizetype kProfileFileMax = qsizetype(64) * 1024 * 1024;

// Value of key in section of the INI text in bytes; nothing when section or key is missing.
std::optional<QString> profileLookup(const QByteArray &bytes, const QString &section,
                                     const QString &key);

// The outcome of an edit: the new bytes, or the reason why the value cannot be stored.
struct ProfileEdit {
    QByteArray bytes;
    QString error;                // empty on success
    bool encodingRefused = false; // the file's encoding cannot hold the text
    bool ok() const { return error.isEmpty(); }
};

// The bytes after setting key in section to value (adding key and section as needed). Fails
// for names that would not read back as themselves (empty, a key holding '=', line breaks),
// values with line breaks, and text the file's encoding cannot hold.
ProfileEdit profileEdit(const QByteArray &bytes, const QString &section, const QString &key,
                        const QString &value);

// The bytes after setting key in section to value (adding key and section as needed); the
// bytes unchanged when profileEdit fails.
QByteArray profileUpdate(const QByteArray &bytes, const QString &section, const QString &key,
                         const QString &value);

// Every value of one profile text, found exactly as profileLookup finds it in the same bytes:
// for a reader that asks one file for many values without scanning it for each.
class ProfileIndex {
  public:
    explicit ProfileIndex(const QByteArray &bytes);
    std::optional<QString> lookup(const QString &section, const QString &key) const;

  private:
    struct NameHash {
        std::size_t operator()(const QString &name) const noexcept { return qHash(name); }
    };
    using Keys = std::unordered_map<QString, QString, NameHash>; // by case-folded key name
    std::unordered_map<QString, Keys, NameHash> sections_;       // by case-folded section name
};

} // namespace menu::formats
