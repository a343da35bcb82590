#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

/// An event handler of the HID layer: a callable with an identity. Copies of one handler
/// compare equal and a newly made handler equals no other, so the controller can tell which
/// devices still carry its own handler when that handler is replaced. Empty handlers compare
/// equal to each other. Copy and call on the GUI thread only.
template <typename Signature>
class HidHandler;

template <typename R, typename... Args>
class HidHandler<R(Args...)> {
public:
    HidHandler() = default;
    HidHandler(std::nullptr_t) {}  // NOLINT(google-explicit-constructor): "no handler"

    template <typename F>
    requires(!std::same_as<std::remove_cvref_t<F>, HidHandler> &&
             std::is_invocable_r_v<R, F&, Args...>)
        HidHandler(F&& f) {  // NOLINT(google-explicit-constructor): handlers are given as lambdas
        auto fn = std::make_shared<const std::function<R(Args...)>>(std::forward<F>(f));
        if (*fn) m_fn = std::move(fn);
    }

    explicit operator bool() const { return m_fn != nullptr; }
    R operator()(Args... args) const { return (*m_fn)(std::forward<Args>(args)...); }
    friend bool operator==(const HidHandler& a, const HidHandler& b) { return a.m_fn == b.m_fn; }

private:
    std::shared_ptr<const std::function<R(Args...)>> m_fn;
};
