// The one way the lower layers report failure: a value, or the reason it is missing. The
// reason is an error code as the system gives it (errno values in the generic category; the
// Windows side maps its codes onto the same values) plus the file it concerns, so that the
// launcher's rules can say it in Slovak and name the file.
#pragma once

#include <QString>

#include <cerrno>
#include <optional>
#include <system_error>
#include <utility>
#include <variant>

namespace menu {

struct Failure {
    std::error_code code;
    QString path;   // the file or directory concerned; empty when none
    QString detail; // the system's own words, where the code alone does not tell it

    // A failure with an errno value.
    static Failure errnoValue(int error, QString path = {}, QString detail = {})
    {
        return {std::error_code(error, std::generic_category()), std::move(path),
                std::move(detail)};
    }
    static Failure of(std::errc error, QString path = {}, QString detail = {})
    {
        return {std::make_error_code(error), std::move(path), std::move(detail)};
    }
    bool is(std::errc error) const { return code == std::make_error_condition(error); }
};

template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T &value() & { return std::get<0>(state_); }
    const T &value() const & { return std::get<0>(state_); }
    T &&value() && { return std::get<0>(std::move(state_)); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }

    const Failure &failure() const { return std::get<1>(state_); }

  private:
    std::variant<T, Failure> state_;
};

template <> class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    bool ok() const { return !failure_.has_value(); }
    explicit operator bool() const { return ok(); }
    const Failure &failure() const { return *failure_; }

  private:
    std::optional<Failure> failure_;
};

using Status = Result<void>;

} // namespace menu
