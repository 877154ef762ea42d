// TVlakno, the worker thread of the background update check. It only tests the internet
// connection and downloads the update-information document; its outcome goes to the
// user-interface thread, where it is applied only while the window that started it lives.
//
// The worker frees itself when its run ends and nobody waits for it: closing the window, even
// ending the program, never joins it.
#pragma once

#include "core/UpdateCheck.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

namespace menu::gui {

class TVlakno {
  public:
    using Apply = std::function<void(const core::UpdateCheckOutcome &)>;

    // Starts a worker that runs one check. apply runs later on the user-interface thread,
    // unless owner is gone by then. internet must outlive the worker or the process (see
    // anyRunning). Raises std::system_error when the thread cannot be started.
    static void Start(const platform::InternetState *internet, QString url, QString localPath,
                      QObject *owner, Apply apply);

    // True while a worker has not yet finished its run. A program that ends while one runs
    // must end without tearing anything down that the worker may still use.
    static bool anyRunning() { return running() > 0; }
    // How many workers have not yet finished their run.
    static int running();

    // Makes the next Start fail as a system without threads would: for tests only.
    static void failNextStartForTesting();

  private:
    TVlakno(const platform::InternetState *internet, QString url, QString localPath, QObject *owner,
            Apply apply);
    void Execute();

    const platform::InternetState *internet_;
    QString url_;
    QString localPath_;
    QPointer<QObject> owner_;
    Apply apply_;
};

} // namespace menu::gui
