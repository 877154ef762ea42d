// menu.exe's application manifest, read back as Windows reads it: the resource of type
// RT_MANIFEST and number 1 of the program.
#include "platform/win32/WinError.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <string>
#include <windows.h>

namespace {

// The text of every element of the manifest by its local name, and its attributes as
// "element/attribute".
std::multimap<QString, QString> manifestOf(const QString &program)
{
    std::multimap<QString, QString> values;
    const HMODULE module =
        ::LoadLibraryExW(menu::platform::win32::wide(program).c_str(), nullptr,
                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr)
        return values;
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    if (loaded != nullptr) {
        const QByteArray xml(static_cast<const char *>(::LockResource(loaded)),
                             static_cast<qsizetype>(::SizeofResource(module, found)));
        QXmlStreamReader reader(xml);
        QString element;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement()) {
                element = reader.name().toString();
                for (const QXmlStreamAttribute &attribute : reader.attributes())
                    values.emplace(element + u'/' + attribute.name().toString(),
                                   attribute.value().toString());
            } else if (reader.isCharacters() && !reader.isWhitespace()) {
                values.emplace(element, reader.text().toString().trimmed());
            } else if (reader.isEndElement()) {
                element.clear();
            }
        }
        EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    }
    ::FreeLibrary(module);
    return values;
}

} // namespace

TEST(Win32Manifest, TheLauncherIsPerMonitorAwareKnowsLongPathsAndItsSystems)
{
    const std::multimap<QString, QString> manifest = manifestOf(QStringLiteral(MENU_PATH));
    ASSERT_FALSE(manifest.empty()) << "menu.exe carries no manifest";
    const auto only = [&](const char *key) {
        const auto [first, last] = manifest.equal_range(QLatin1String(key));
        return std::distance(first, last) == 1 ? first->second.toStdString() : std::string("?");
    };
    EXPECT_EQ(only("dpiAwareness"), "PerMonitorV2");
    EXPECT_EQ(only("dpiAware"), "true/pm");
    EXPECT_EQ(only("longPathAware"), "true");
    EXPECT_EQ(only("requestedExecutionLevel/level"), "asInvoker");
    // Windows 10 and 11.
    EXPECT_EQ(only("supportedOS/Id"), "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}");
}
