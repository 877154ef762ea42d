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
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

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

// The values of one profile text, found exactly as profileLookup finds them in the same bytes:
// for a reader that asks one file for many values without scanning it for each. Building it
// finds the sections only; a lookup reads the lines of its section, so that a file asked for a
// few values costs little more than reading it.
class ProfileIndex {
  public:
    explicit ProfileIndex(const QByteArray &bytes);
    std::optional<QString> lookup(const QString &section, const QString &key) const;

  private:
    // A section's header name and its lines, in code units.
    struct Section {
        qsizetype nameBegin = 0;
        qsizetype nameEnd = 0;
        qsizetype begin = 0; // the line after the header
        qsizetype end = 0;   // the next header's line, or the end of the text
    };

    QByteArray bytes_;
    // How the bytes are read, as found once: the encoding, the mark's bytes, the code units.
    int encoding_ = 0;
    qsizetype bom_ = 0;
    qsizetype count_ = 0;
    std::vector<Section> sections_; // in the text's order
};

} // namespace menu::formats
