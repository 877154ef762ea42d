#include "platform/win32/FileTimes.h"

#include "platform/win32/WinError.h"

#include <QRandomGenerator>

namespace menu::platform::win32 {

namespace {
// 1601-01-01 to 1970-01-01 in 100-nanosecond ticks.
constexpr std::int64_t kEpochTicks = 116444736000000000;
} // namespace

std::int64_t unixNs(std::int64_t ticks)
{
    return (ticks - kEpochTicks) * 100;
}

std::int64_t unixNs(const FILETIME &time)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return unixNs(static_cast<std::int64_t>(ticks.QuadPart));
}

std::optional<FileStamp> stampOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        !::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return std::nullopt;
    FileStamp stamp;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    stamp.size =
        static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    stamp.mode = info.dwFileAttributes;
    stamp.modifiedNs = unixNs(info.ftLastWriteTime);
    stamp.changedNs = unixNs(basic.ChangeTime.QuadPart);
    return stamp;
}

DWORD attributesOf(const QString &path)
{
    return ::GetFileAttributesW(wide(path).c_str());
}

QString temporarySibling(const QString &path, const QString &suffix)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const QString dir = slash < 0 ? QString() : path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    return dir + u'.' + name + u'.' +
           QString::number(QRandomGenerator::global()->generate64(), 36) + u'.' + suffix;
}

} // namespace menu::platform::win32
