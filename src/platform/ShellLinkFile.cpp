#include "platform/ShellLinkFile.h"

#include "formats/ShellLink.h"
#include "platform/Files.h"

#include <QFileInfo>

namespace menu::platform {

namespace {

constexpr quint32 kAttributeReadOnly = 0x01;
constexpr quint32 kAttributeDirectory = 0x10;
constexpr quint32 kAttributeArchive = 0x20;

// The attributes, size and times of the target, as a link records them; nothing when it is
// missing.
void recordTarget(formats::ShellLinkData &link)
{
    const QFileInfo info(link.target);
    if (!info.exists())
        return;
    quint32 attributes = info.isDir() ? kAttributeDirectory : kAttributeArchive;
    if (!info.isWritable())
        attributes |= kAttributeReadOnly;
    link.fileAttributes = attributes;
    link.fileSize = info.isDir() ? 0 : static_cast<quint32>(info.size() & 0xFFFFFFFF);
    link.created = info.birthTime().isValid() ? info.birthTime() : info.lastModified();
    link.accessed = info.lastRead();
    link.written = info.lastModified();
}

} // namespace

Status writeShellLink(const QString &path, const Shortcut &shortcut)
{
    formats::ShellLinkData link;
    link.target = shortcut.target;
    link.workingDir = shortcut.workingDir;
    link.iconLocation = shortcut.target;
    recordTarget(link);
    Result<QByteArray> bytes = formats::shellLinkEncode(link);
    if (!bytes.ok())
        return Failure{bytes.failure().code, path, bytes.failure().detail};
    return writeNewFile(path, *bytes);
}

} // namespace menu::platform
