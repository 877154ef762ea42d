// An X server of its own for the processes of one test (Xvfb), managed by twm, so that windows
// get frames as on a desktop.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace menu::test {

class VirtualDisplay {
  public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    bool running() const { return !name_.isEmpty(); }
    QString name() const { return name_; }

    // Runs an X client program on this display and gives its standard output.
    QString run(const QString &program, const QStringList &arguments) const;
    // The id of a top-level window with exactly this title, or empty.
    QString window(const QString &title) const;
    // The window that holds window as a child of the root: the window manager's frame.
    QString frameOf(const QString &window) const;
    // The top-level windows (frames) from the bottom of the stack to its top.
    QStringList stack() const;

  private:
    bool answers() const;
    bool manage();
    void stop();

    QString name_;
    QProcess server_;
    QProcess manager_;
};

} // namespace menu::test
