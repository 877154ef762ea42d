// Environment variables set (or removed) for the life of an object, restored afterwards.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace menu::test {

class Environment {
  public:
    // A value of nothing removes the variable.
    explicit Environment(const std::vector<std::pair<const char *, std::optional<QString>>> &values)
    {
        for (const auto &[name, value] : values) {
            saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                      : std::nullopt);
            if (value)
                qputenv(name, value->toUtf8());
            else
                qunsetenv(name);
        }
    }
    ~Environment()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                qputenv(it->first, *it->second);
            else
                qunsetenv(it->first);
        }
    }
    Environment(const Environment &) = delete;
    Environment &operator=(const Environment &) = delete;

  private:
    std::vector<std::pair<const char *, std::optional<QByteArray>>> saved_;
};

} // namespace menu::test
