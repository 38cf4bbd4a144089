// How the layers above the platform report failure: a value, or why there
// is none. The platform's own calls stay Win32-shaped (BOOL and the last
// error); code that turns their failures into words returns a Result.
#pragma once

#include <cstdlib>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace platform {

// A failure spelled out, for a Result whose value and reason are of one
// type (Result<std::string>) or both could be made from the same words.
template <class E = std::string>
struct Failure {
    E error;
};

inline Failure<> Fail(std::string text) {
    return Failure<>{std::move(text)};
}

// A value, or why there is none: its text as the user reads it, or a
// layer's own structured error (a unit's configuration error).
template <class T, class E = std::string>
class Result {
  public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
    Result(Failure<E> failure)                                         // NOLINT: implicit
        : v_(std::in_place_index<1>, std::move(failure.error)) {}
    Result(E error)  // NOLINT: implicit
        requires(!std::is_same_v<T, E>)
        : v_(std::in_place_index<1>, std::move(error)) {}

    [[nodiscard]] bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    // Asking a failure for its value (or a value for its error) is the
    // caller's fault: it ends the program here instead of throwing.
    T& value() { return *Held(std::get_if<0>(&v_)); }
    const T& value() const { return *Held(std::get_if<0>(&v_)); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    [[nodiscard]] const E& error() const { return *Held(std::get_if<1>(&v_)); }

  private:
    template <class P>
    static P Held(P held) {
        if (held == nullptr) {
            std::abort();
        }
        return held;
    }

    std::variant<T, E> v_;
};

// Done, or why not.
template <class E>
class Result<void, E> {
  public:
    Result() = default;
    Result(Failure<E> failure) : Result(std::move(failure.error)) {}  // NOLINT: implicit
    Result(E error) : error_(std::move(error)), failed_(true) {}      // NOLINT: implicit

    [[nodiscard]] bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const E& error() const { return error_; }

  private:
    E error_{};
    bool failed_ = false;
};

}  // namespace platform
