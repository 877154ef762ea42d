// The largest package a menu can hold, written as an installation writes it: every module full
// (17 modules x 9 buttons x 9 submenu entries: 153 buttons, 1377 entries), 8-bit text in the
// Windows code page, CRLF.
#pragma once

#include "core/MenuModel.h"
#include "formats/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bench {

inline constexpr int kButtonsPerModule = 9;
inline constexpr int kEntriesPerButton = 9;

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A package under root/ORVAN; with program set, every target is a copy of it. Only the first
// modules modules are written.
inline bool writePackage(const QString &root, const QString &program, int modules = 17)
{
    const auto cp1250 = [](const QString &text) {
        return menu::formats::encodeCodePage(menu::formats::CodePage::Windows1250, text)
            .value_or(QByteArray());
    };
    if (!writeFile(root + QStringLiteral("/ORVAN/MENU/menu.ini"),
                   "[OPTIONS]\r\nLeft=0\r\nTop=0\r\nWidth=1600\r\nHeight=1000\r\n"))
        return false;
    QByteArray programBytes;
    if (!program.isEmpty()) {
        QFile in(program);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        programBytes = in.readAll();
    }
    for (int m = 0; m < modules; ++m) {
        const QString module =
            QLatin1String(menu::core::kModuleCodes.at(static_cast<std::size_t>(m)));
        QByteArray text;
        for (int b = 1; b <= kButtonsPerModule; ++b) {
            const QString target =
                QStringLiteral("\\ORVAN\\%1\\program%2.exe").arg(module.toUpper()).arg(b);
            text += "[Menu" + QByteArray::number(b) + "]\r\nExe=" + cp1250(target) +
                    "\r\nNaz=" + cp1250(QStringLiteral("Účtovníctvo %1 %2").arg(module).arg(b)) +
                    "\r\nDop=" + cp1250(QStringLiteral("podvojné, škôlky")) + "\r\n\r\n";
            if (!programBytes.isEmpty() &&
                !writeFile(root + QString(target).replace(QLatin1Char('\\'), QLatin1Char('/')),
                           programBytes))
                return false;
        }
        for (int b = 1; b <= kButtonsPerModule; ++b) {
            for (int i = 1; i <= kEntriesPerButton; ++i) {
                const QString target = QStringLiteral("\\ORVAN\\%1\\nastroj%2%3.exe")
                                           .arg(module.toUpper())
                                           .arg(b)
                                           .arg(i);
                text += "[Menu" + QByteArray::number(b) + QByteArray::number(i) +
                        "]\r\nExe=" + cp1250(target) +
                        "\r\nNaz=" + cp1250(QStringLiteral("Nástroj č. %1").arg(i)) + "\r\n\r\n";
                if (!programBytes.isEmpty() &&
                    !writeFile(root + QString(target).replace(QLatin1Char('\\'), QLatin1Char('/')),
                               programBytes))
                    return false;
            }
        }
        if (!writeFile(root + QStringLiteral("/ORVAN/orvan-") + module + QStringLiteral(".ini"),
                       text))
            return false;
    }
    return true;
}

} // namespace bench
