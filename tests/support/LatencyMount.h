// A folder seen through the latency file system (support/latencyfs): every request the kernel
// sends costs a fixed delay and is counted, as on a network drive. Mounted for the life of the
// object, unmounted when it goes, also when the test fails.
#pragma once

#include <QProcess>
#include <QString>
#include <chrono>

namespace menu::test {

class LatencyMount {
  public:
    enum class Cache {
        None,      // the kernel keeps nothing: every lookup and read is a request
        Attributes // names and attributes kept for a short time, as an SMB client does
    };

    // Why no mount can be made here (no /dev/fuse, as under Wine, or no latencyfs), or empty.
    static QString unavailableReason();

    LatencyMount(const QString &source, const QString &mountPoint, std::chrono::microseconds delay,
                 Cache cache = Cache::None);
    ~LatencyMount();
    LatencyMount(const LatencyMount &) = delete;
    LatencyMount &operator=(const LatencyMount &) = delete;

    bool mounted() const { return mounted_; }
    QString error() const { return error_; }
    QString path() const { return mountPoint_; }
    // The requests answered so far.
    quint64 operations() const;

  private:
    void unmount();

    QString mountPoint_;
    QProcess server_;
    bool mounted_ = false;
    QString error_;
};

} // namespace menu::test
