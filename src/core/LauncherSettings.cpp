#include "core/LauncherSettings.h"

#include "formats/ProfileText.h"

#include <initializer_list>
#include <limits>
#include <utility>

namespace menu::core {

namespace {

const QString kOptions = QStringLiteral("OPTIONS");
const QString kLauncher = QStringLiteral("ORVAN");
const QString kTeamViewer = QStringLiteral("TEA");

struct Value {
    const QString &section;
    const char *key;
    QString text;
};

// All values in one locked round: one read of the file, one replacement.
Status writeAll(platform::ProfileStore &store, const QString &path,
                std::initializer_list<Value> values, const platform::LockWait &wait)
{
    QList<platform::ProfileStore::Value> edits;
    edits.reserve(static_cast<qsizetype>(values.size()));
    for (const Value &value : values)
        edits.append({value.section, QLatin1String(value.key), value.text});
    return store.writeValues(path, edits, wait);
}

} // namespace

Announcement announcementFrom(const std::function<QString(const char *key)> &value, bool withDate)
{
    Announcement announced;
    announced.version = value("AktCis");
    if (withDate)
        announced.date = value("AktDat");
    announced.file = value("AktFil");
    bool ok = false;
    const qint64 length = value("AktLen").trimmed().toLongLong(&ok, 10);
    if (ok && length >= 0)
        announced.length = length;
    announced.sha256 = value("AktSha256").trimmed();
    return announced;
}

int parseWholeNumber(const QString &text, int fallback)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return fallback;
    return static_cast<int>(value);
}

WindowPlacement placementFrom(const QString &left, const QString &width, const QString &top,
                              const QString &height, const QString &windowState,
                              const platform::ScreenLimits &screen)
{
    WindowPlacement placement;
    placement.maximized = windowState == QLatin1String("1");

    const WindowPlacement whole{0, 0, screen.maxWidth, screen.maxHeight, placement.maximized};
    if (left.trimmed().isEmpty() || width.trimmed().isEmpty() || top.trimmed().isEmpty() ||
        height.trimmed().isEmpty())
        return whole;

    const auto bound = [](const QString &text) { return std::max(0, parseWholeNumber(text)); };
    placement.left = bound(left);
    placement.width = bound(width);
    placement.top = bound(top);
    placement.height = bound(height);
    // Compared in 64 bits: stored values near the int limits must not wrap into "fits".
    if (qint64{placement.left} + placement.width > screen.maxWidth ||
        qint64{placement.top} + placement.height > screen.maxHeight)
        return whole;
    return placement;
}

ButtonArrangement arrangementFrom(const QString &buttonsView)
{
    return buttonsView.compare(QLatin1String("Ver"), Qt::CaseInsensitive) == 0
               ? ButtonArrangement::Columns
               : ButtonArrangement::Rows;
}

QString arrangementText(ButtonArrangement arrangement)
{
    return arrangement == ButtonArrangement::Rows ? QStringLiteral("Hor") : QStringLiteral("Ver");
}

std::uint8_t checkFrequencyFrom(const QString &text)
{
    return static_cast<std::uint8_t>(static_cast<unsigned>(parseWholeNumber(text)) & 0xFFu);
}

LauncherSettings::LauncherSettings(platform::ProfileStore &store, const QString &programDir)
    : store_(store), path_(programDir + QStringLiteral("menu.ini"))
{
}

QString LauncherSettings::read(const QString &section, const QString &key) const
{
    {
        const std::lock_guard lock(batchMutex_);
        if (batchThread_ == std::this_thread::get_id())
            return batch_ ? batch_->lookup(section, key).value_or(QString()) : QString();
    }
    return store_.read(path_, section, key).value_or(QString());
}

Status LauncherSettings::write(const QString &section, const QString &key, const QString &value)
{
    return afterWrite(store_.write(path_, section, key, value));
}

Status LauncherSettings::afterWrite(Status written) const
{
    // Only the batch's own thread sets or ends it, so this thread's answer holds while it reads.
    if (std::unique_lock lock(batchMutex_); batchThread_ == std::this_thread::get_id()) {
        lock.unlock();
        auto index = store_.readAll(path_);
        lock.lock();
        batch_ = std::move(index);
    }
    return written;
}

LauncherSettings::Batch::Batch(const LauncherSettings &settings) : settings_(settings)
{
    {
        const std::lock_guard lock(settings.batchMutex_);
        if (settings.batchThread_)
            return; // the outer batch answers
        outer_ = true;
        settings.batchThread_ = std::this_thread::get_id();
    }
    // Until the file is read, this thread's reads would see no file: nothing reads meanwhile.
    auto index = settings.store_.readAll(settings.path_);
    const std::lock_guard lock(settings.batchMutex_);
    settings.batch_ = std::move(index);
}

LauncherSettings::Batch::~Batch()
{
    if (!outer_)
        return;
    const std::lock_guard lock(settings_.batchMutex_);
    settings_.batchThread_.reset();
    settings_.batch_.reset();
}

ButtonArrangement LauncherSettings::arrangement() const
{
    return arrangementFrom(read(kOptions, QStringLiteral("ButtonsView")));
}

WindowPlacement LauncherSettings::placement(const platform::ScreenLimits &screen) const
{
    const auto value = [this](const char *key) { return read(kOptions, QLatin1String(key)); };
    return placementFrom(value("Left"), value("Width"), value("Top"), value("Height"),
                         value("WindowState"), screen);
}

std::uint8_t LauncherSettings::checkFrequency() const
{
    return checkFrequencyFrom(read(kOptions, QStringLiteral("LicKon")));
}

QString LauncherSettings::lastCheck() const
{
    return read(kOptions, QStringLiteral("LicKonLast"));
}

Announcement LauncherSettings::launcherAnnouncement() const
{
    return announcementFrom([this](const char *key) { return read(kLauncher, QLatin1String(key)); },
                            true);
}

Announcement LauncherSettings::teamViewerAnnouncement() const
{
    return announcementFrom(
        [this](const char *key) { return read(kTeamViewer, QLatin1String(key)); }, false);
}

Status LauncherSettings::saveArrangement(ButtonArrangement arrangement,
                                         const platform::LockWait &wait)
{
    return afterWrite(
        writeAll(store_, path_, {{kOptions, "ButtonsView", arrangementText(arrangement)}}, wait));
}

Status LauncherSettings::saveAtClose(const QRect &outer, bool maximized,
                                     ButtonArrangement arrangement, std::uint8_t checkFrequency,
                                     const QString &lastCheck, const platform::LockWait &wait)
{
    return afterWrite(
        writeAll(store_, path_,
                 {{kOptions, "ButtonsView", arrangementText(arrangement)},
                  {kOptions, "Left", QString::number(outer.left())},
                  {kOptions, "Width", QString::number(outer.width())},
                  {kOptions, "Top", QString::number(outer.top())},
                  {kOptions, "Height", QString::number(outer.height())},
                  {kOptions, "WindowState", maximized ? QStringLiteral("1") : QStringLiteral("0")},
                  {kOptions, "LicKon", QString::number(checkFrequency)},
                  {kOptions, "LicKonLast", lastCheck}},
                 wait));
}

Status LauncherSettings::saveCheckFrequency(std::uint8_t frequency, const platform::LockWait &wait)
{
    return afterWrite(
        writeAll(store_, path_, {{kOptions, "LicKon", QString::number(frequency)}}, wait));
}

Status LauncherSettings::saveAnnouncements(const Announcement &launcher,
                                           const Announcement &teamViewer,
                                           const platform::LockWait &wait)
{
    const auto length = [](const Announcement &a) {
        return a.length ? QString::number(*a.length) : QString();
    };
    return afterWrite(writeAll(store_, path_,
                               {{kLauncher, "AktCis", launcher.version},
                                {kLauncher, "AktDat", launcher.date},
                                {kLauncher, "AktFil", launcher.file},
                                {kLauncher, "AktLen", length(launcher)},
                                {kLauncher, "AktSha256", launcher.sha256},
                                {kTeamViewer, "AktCis", teamViewer.version},
                                {kTeamViewer, "AktFil", teamViewer.file},
                                {kTeamViewer, "AktLen", length(teamViewer)},
                                {kTeamViewer, "AktSha256", teamViewer.sha256}},
                               wait));
}

} // namespace menu::core
