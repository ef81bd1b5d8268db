#pragma once
// A value or the reason there is none. What a computation or a file operation hands back
// instead of telling the operator itself: the caller that talks to the operator (the
// sequencer, the test start, the window) decides what is shown. `Result<void, E>` is "done"
// or the failure.

#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <variant>

namespace dilato {

// The failure side of a result, as `return Fail(error);` builds it.
template <class E>
struct Failure {
    E error;
};

template <class E>
[[nodiscard]] Failure<std::decay_t<E>> Fail(E&& error) {
    return {std::forward<E>(error)};
}

template <class T, class E>
class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure<E> failure) : v_(std::in_place_index<1>, std::move(failure.error)) {}

    [[nodiscard]] bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; asking a failure for its value is a fault of the caller.
    [[nodiscard]] const T& value() const {
        if (!ok()) throw std::logic_error("a failed result has no value");
        return std::get<0>(v_);
    }
    [[nodiscard]] T valueOr(T fallback) const { return ok() ? std::get<0>(v_) : fallback; }
    [[nodiscard]] const E& error() const {
        if (ok()) throw std::logic_error("a result with a value has no failure");
        return std::get<1>(v_);
    }

  private:
    std::variant<T, E> v_;
};

template <class E>
class [[nodiscard]] Result<void, E> {
  public:
    Result() = default;
    Result(Failure<E> failure) : error_(std::move(failure.error)) {}

    [[nodiscard]] bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const E& error() const {
        if (ok()) throw std::logic_error("a result with a value has no failure");
        return *error_;
    }

  private:
    std::optional<E> error_;
};

} // namespace dilato
