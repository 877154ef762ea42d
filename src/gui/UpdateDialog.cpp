#include "gui/UpdateDialog.h"

#include "core/AnnouncedFile.h"
#include "core/PackageExtract.h"
#include "core/ArchiveTexts.h"
#include "core/InstallTexts.h"
#include "core/Texts.h"
#include "core/UpdateTexts.h"
#include "core/TrustedAnnouncement.h"
#include "core/UpdateOffer.h"
#include "gui/ErrorBoundary.h"
#include "gui/Fonts.h"
#include "gui/UpdateDialogForm.h"
#include "widgets/TypedEdit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <utility>

namespace menu::gui {

namespace {

// Announced versions shorter than this cannot be a version the server would give.
constexpr qsizetype kMinVersionLength = 7;

bool isMouseButton(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick;
}

} // namespace

UpdateDialog::UpdateDialog(Setup setup, MessageBoxes &boxes, QWidget *centreOver)
    : QDialog(nullptr), setup_(std::move(setup)), boxes_(boxes), centreOver_(centreOver)
{
    setObjectName(QStringLiteral("updateDialog"));
    setWindowTitle(QStringLiteral("Aktualizácia programu"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(tahoma8());
    QPalette face = palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(face);
    form_ = std::make_unique<UpdateDialogForm>(this);
    for (widgets::TypedEdit *field : {form_->installed, form_->announced, form_->note})
        field->setErrorBox(&boxes_);
    setFixedSize(form_->width, UpdateDialogForm::kHeight);
    form_->gauge->hide();
    form_->sizeLabel->hide();
    connect(form_->import, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { startImport(); }); });
    connect(form_->close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&job_, &core::BackgroundJob::progressed, this, [this](qint64 received, qint64 total) {
        guarded(this, [&] { showProgress(received, total); });
    });
    connect(&job_, &core::BackgroundJob::finished, this,
            [this](bool cancelled) { guarded(this, [&] { downloadEnded(cancelled); }); });
}

UpdateDialog::~UpdateDialog()
{
    if (busy_)
        qApp->removeEventFilter(this);
}

void UpdateDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (centreOver_ != nullptr) {
        const QRect over = centreOver_->frameGeometry();
        const QSize frame = frameGeometry().size();
        move(over.center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
    guarded(this, [this] { fill(); });
    // Where the window system does not make the dialog active (offscreen, or a desktop that
    // keeps the focus where the user types), the instant start must not wait for it.
    QMetaObject::invokeMethod(
        this, [this] { guarded(this, [this] { startInstantly(); }); }, Qt::QueuedConnection);
}

void UpdateDialog::fill()
{
    UpdateDialogForm &f = *form_;
    writeStatus(setup_.lastCheckText);
    f.title->setText(launcher() ? QStringLiteral("ORVAN-Základná ponuka")
                                : QStringLiteral("Team Viewer - ORVAN"));
    f.title->adjustSize();
    (launcher() ? f.launcherImage : f.teamViewerImage)->show();

    f.installed->setText(core::texts::shownVersion(setup_.installedVersion, setup_.installedDate));
    const core::UpdateCase updateCase =
        core::updateCaseFor(setup_.installedVersion, setup_.installedDate, setup_.announced.version,
                            setup_.announced.date);
    if (updateCase != core::UpdateCase::A)
        f.announced->setText(
            core::texts::shownVersion(setup_.announced.version, setup_.announced.date));
    const core::UpdateRecommendation r = core::texts::recommendation(updateCase, launcher());
    f.note->setText(r.note);
    setTextColour(f.note, QPalette::Text, r.noteRed);
    if (r.announcedRed)
        setTextColour(f.announced, QPalette::Text, true);
    // A text wider than its field shows its beginning.
    for (widgets::TypedEdit *field : {f.installed, f.announced, f.note})
        field->setCursorPosition(0);
    f.import->setText(r.buttonCaption);
    caseButtonEnabled_ = r.buttonEnabled;
    f.import->setEnabled(r.buttonEnabled && !setup_.instantStart);
    // The launcher's package goes into a directory made for each try; until then its name is
    // shown as the pattern it follows.
    f.statusLine->setToolTip(core::texts::fileToDownload(
        launcher()
            ? setup_.temporaryDir + QLatin1Char('/') + QLatin1String(core::kPackageDirPrefix) +
                  QStringLiteral("XXXXXX/") + QLatin1String(core::kPackageFileName)
            : setup_.localFile));
    f.close->setFocus();
}

bool UpdateDialog::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) {
        // After the activation has been handled: the import may open boxes.
        QMetaObject::invokeMethod(
            this, [this] { guarded(this, [this] { startInstantly(); }); }, Qt::QueuedConnection);
    }
    return handled;
}

void UpdateDialog::startInstantly()
{
    if (!setup_.instantStart || instantStartDone_ || !isVisible())
        return;
    instantStartDone_ = true;
    startImport();
}

void UpdateDialog::closeEvent(QCloseEvent *event)
{
    // Nothing closes the dialog while a transfer or the unpacking runs; during a transfer the
    // close box asks whether to stop it, once the close has been handled.
    if (busy_) {
        event->ignore();
        if (job_.running())
            QMetaObject::invokeMethod(
                this, [this] { guarded(this, [this] { askToStop(); }); }, Qt::QueuedConnection);
        return;
    }
    QDialog::closeEvent(event);
}

void UpdateDialog::reject()
{
    if (job_.running()) {
        guarded(this, [this] { askToStop(); });
        return;
    }
    if (!busy_)
        QDialog::reject();
}

void UpdateDialog::abandon()
{
    abandoned_ = true;
    job_.cancel();
    // The transfer ends at its next wake-up; its file goes with the directory after it.
    (void)job_.wait(std::chrono::seconds(10));
    packageDir_.reset();
    succeeded_ = false;
    setBusy(false);
    QDialog::reject();
}

void UpdateDialog::askToStop()
{
    if (!job_.running() || asking_ || stopRequested_ || abandoned_)
        return;
    asking_ = true;
    const core::BoxAnswer answer =
        boxes_.show(this, core::BoxKind::Confirmation, core::texts::stopDownloadQuestion());
    asking_ = false;
    if (answer == core::BoxAnswer::Yes) {
        stopRequested_ = true;
        job_.cancel();
    }
    if (std::exchange(endedWhileAsking_, false))
        downloadEnded(false);
}

// The user chose to stop: nothing is unpacked or installed, and the dialog closes. A Team
// Viewer download that completed while the question was open has replaced the program all the
// same, and says so.
void UpdateDialog::stopped(bool completed)
{
    stopRequested_ = false;
    packageDir_.reset();
    succeeded_ = completed && !launcher();
    if (succeeded_)
        setNote(core::texts::downloaded(), false);
    else
        setNote(core::texts::downloadCancelled(), true);
    setup_.instantStart = false;
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

bool UpdateDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (!busy_ || !watched->isWidgetType())
        return QDialog::eventFilter(watched, event);
    if (static_cast<QWidget *>(watched)->window() != this)
        return false;
    // During a download "Koniec" still answers: it offers to stop the transfer.
    if (watched == form_->close && job_.running() && isMouseButton(event->type()))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

void UpdateDialog::setBusy(bool busy)
{
    // The dialog is kept from taking input rather than disabled, so that the gauge and the
    // notes keep their colours while it works.
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
    CursorWait(busy);
}

void UpdateDialog::startImport()
{
    if (job_.running())
        return;
    if (setup_.announced.version.size() < kMinVersionLength) {
        boxes_.show(this, core::BoxKind::Error, core::texts::packageFileUnknown());
        importEnded(false);
        return;
    }
    if (const auto refusal = downloadRefusal()) {
        boxes_.tell(this, *refusal);
        importEnded(false);
        return;
    }
    if (!prepareTarget()) {
        importEnded(false);
        return;
    }
    UpdateDialogForm &f = *form_;
    setBusy(true);
    writeStatus(core::texts::working());
    setNote(core::texts::downloading(), false);
    f.note->hide();
    f.gauge->show();
    f.setSizeText(QString());
    f.sizeLabel->show();
    f.gauge->setValue(f.gauge->minimum());

    auto result = std::make_shared<core::DownloadResult>();
    const QString url = setup_.packageFilesUrl + setup_.announced.file;
    const QString target = localFile_;
    const core::Announcement announced = setup_.announced;
    const QString partialDir = setup_.partialDir;
    const bool started =
        job_.start([result, url, target, announced, partialDir](core::BackgroundJob::Control &job) {
            core::DownloadOptions options;
            core::expectAnnounced(options, announced);
            options.partialDir = partialDir;
            options.cancel = &job.cancel();
            options.progress = [&job](const core::DownloadProgress &progress) {
                job.progress(progress.received, progress.total);
            };
            *result = core::download(url, target, options);
        });
    if (!started) {
        *result = core::DownloadResult::failure(core::FailureKind::Other,
                                                core::texts::downloadCritical());
        download_ = std::move(result);
        downloadEnded(false);
        return;
    }
    download_ = std::move(result);
}

// Why this try may not download: the build, the trust in what is shown, the file's checks, and
// for the launcher's own package its release against the running one.
std::optional<core::Notice> UpdateDialog::downloadRefusal() const
{
    const std::optional<core::Announcement> trusted =
        setup_.trusted ? setup_.trusted() : std::optional(setup_.announced);
    if (auto refusal =
            core::trustRefusal(setup_.announced, trusted, core::trustPolicy().updatesAllowed()))
        return refusal;
    if (auto refusal = core::fetchRefusal(setup_.announced, core::checksRequired()))
        return refusal;
    if (launcher())
        return core::releaseRefusal(setup_.announced, setup_.installedVersion);
    return std::nullopt;
}

// Where this try downloads to: for the launcher, a new private directory; a failure to make
// one has been told.
bool UpdateDialog::prepareTarget()
{
    if (!launcher()) {
        localFile_ = setup_.localFile;
        return true;
    }
    packageDir_.reset();
    Result<platform::PrivateDir> made =
        platform::PrivateDir::create(setup_.temporaryDir, QLatin1String(core::kPackageDirPrefix));
    if (!made.ok()) {
        boxes_.show(this, core::BoxKind::Error,
                    core::texts::workDirNotCreated(setup_.temporaryDir, made.failure()));
        return false;
    }
    packageDir_.emplace(std::move(*made));
    localFile_ = packageDir_->path() + QLatin1Char('/') + QLatin1String(core::kPackageFileName);
    form_->statusLine->setToolTip(core::texts::fileToDownload(localFile_));
    return true;
}

std::optional<platform::PrivateDir> UpdateDialog::takePackageDir()
{
    return std::exchange(packageDir_, std::nullopt);
}

void UpdateDialog::showProgress(qint64 received, qint64 total)
{
    UpdateDialogForm &f = *form_;
    if (total != -1) {
        // A range of 0 to 0 would make the gauge run as a busy bar; an empty file is complete.
        f.gauge->setMaximum(static_cast<int>(std::max<qint64>(total, 1)));
        f.setSizeText(core::texts::fileSize(total));
    }
    f.gauge->setValue(
        static_cast<int>(std::clamp<qint64>(received, f.gauge->minimum(), f.gauge->maximum())));
}

void UpdateDialog::downloadEnded(bool)
{
    if (download_ == nullptr)
        return;
    if (abandoned_) {
        download_.reset();
        return;
    }
    if (asking_) {
        endedWhileAsking_ = true;
        return;
    }
    const std::shared_ptr<core::DownloadResult> result = std::move(download_);
    setBusy(false);
    writeStatus(QString());
    if (stopRequested_) {
        stopped(result->ok);
        return;
    }
    if (!result->ok) {
        packageDir_.reset();
        setTextColour(form_->noteLabel, QPalette::WindowText, true);
        setNote(result->text, true);
        // The note says only that it failed; why a program in use was not replaced, and what
        // to do about it, needs to be read.
        if (result->targetInUse)
            boxes_.show(this, core::BoxKind::Error, result->hint);
        importEnded(false);
        return;
    }
    setNote(core::texts::downloaded(), false);
    importEnded(true);
}

bool UpdateDialog::unpack()
{
    setBusy(true);
    writeStatus(core::texts::working());
    setNote(core::texts::unpacking(), false);
    core::ZipReader reader;
    const core::DecompResult outcome = core::unpackPackage(localFile_, reader);
    if (outcome.outcome == core::DecompOutcome::Unpacked ||
        outcome.outcome == core::DecompOutcome::InstallerMissing)
        setNote(core::texts::unpacked(), false);
    // Idle again: the status line no longer says it is working, the dialog takes input, and a
    // failure's box comes over it, the red note after the box is closed.
    setBusy(false);
    writeStatus(QString());
    if (!outcome.ok()) {
        // Nothing of a failed try stays: not what a full disk let through, nor a damaged
        // package's files.
        packageDir_.reset();
        boxes_.show(this, core::BoxKind::Error, outcome.boxText);
        setNote(outcome.note, true);
    }
    return outcome.ok();
}

void UpdateDialog::importEnded(bool downloaded)
{
    bool closing = false;
    if (downloaded) {
        if (!launcher() || unpack()) {
            succeeded_ = true;
            form_->import->setEnabled(false);
            closing = launcher();
        }
        // The offer at start ends with its download, whatever the unpacking gave.
        closing = closing || setup_.instantStart;
    } else if (setup_.instantStart) {
        // A failed automatic start is not repeated; the button lets the user try again where
        // the comparison allows it.
        form_->import->setEnabled(caseButtonEnabled_);
    }
    setup_.instantStart = false;
    if (closing)
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void UpdateDialog::writeStatus(const QString &text)
{
    form_->statusLine->setText(QStringLiteral("  ") + text);
    form_->statusLine->repaint();
}

void UpdateDialog::setNote(const QString &text, bool red)
{
    if (red)
        setTextColour(form_->noteLabel, QPalette::WindowText, true);
    form_->noteLabel->setText(text);
    form_->noteLabel->adjustSize();
}

} // namespace menu::gui
