#pragma once
// The edge of every handler the program hands the window toolkit: a signal's slot, a
// timer's tick, a callback an event override runs, an event override or filter. An
// error the handler raises ends the handler there and is shown with its text, so no
// error unwinds through the toolkit's own dispatch, which does not allow it. The
// application's event dispatch still catches one that gets past, as a last guard.

#include <QString>
#include <concepts>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

// Shows the error a handler raised: a message box with its text, captioned with the
// application's name.
class ErrorShow {
public:
  virtual void ShowError(const QString& text) const = 0;

protected:
  ~ErrorShow() = default;
};

// Runs a handler's body. An error it raises ends the body and is shown with its text
// ("Unknown error" for one that carries none); false then.
template <class F>
bool RunGuarded(const ErrorShow& show, F&& body) {
  try {
    std::forward<F>(body)();
    return true;
  } catch (const std::exception& e) {
    show.ShowError(QString::fromStdString(e.what()));
  } catch (...) {
    show.ShowError(QStringLiteral("Unknown error"));
  }
  return false;
}

// A slot that runs its handler under RunGuarded. It takes as many of the signal's
// arguments as the handler does: the toolkit offers the whole list first, then
// shorter ones.
template <class F>
class GuardedHandler {
public:
  GuardedHandler(const ErrorShow& show, F f) : show_(&show), f_(std::move(f)) {}

  template <class... A>
    requires std::invocable<F&, A...>
  void operator()(A&&... args) {
    RunGuarded(*show_, [&] { std::invoke(f_, std::forward<A>(args)...); });
  }

private:
  const ErrorShow* show_;
  F f_;
};

// The slot for a connection (or a callback an event override runs): `handler` under
// the guard.
template <class F>
GuardedHandler<std::decay_t<F>> GuardedSlot(const ErrorShow& show, F&& handler) {
  return {show, std::forward<F>(handler)};
}

// The slot for a member handler of `object`.
template <class C, class R, class... A>
auto GuardedSlot(const ErrorShow& show, std::type_identity_t<C>* object, R (C::*handler)(A...)) {
  return GuardedSlot(show, [object, handler](A... args) { (object->*handler)(std::forward<A>(args)...); });
}

// The body of an event override or filter under the guard. A filter's body gives its
// answer; after an error the event counts as taken and goes no further, as when the
// error left the dispatch.
template <class F>
auto GuardedEvent(const ErrorShow& show, F&& body) {
  if constexpr (std::is_void_v<std::invoke_result_t<F&>>) {
    RunGuarded(show, body);
  } else {
    bool taken = true;
    RunGuarded(show, [&] { taken = body(); });
    return taken;
  }
}
