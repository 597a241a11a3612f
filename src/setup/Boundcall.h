// A callback kept as a plain function and an opaque context, as the list and the driver keep
// theirs, made from a handler that takes its context by its own type. The one cast is here, where
// the handler and its context are given together: neither side of a callback casts.
#pragma once

template <auto Handler>
struct TBoundCall;

template <typename Result, typename Context, typename... Args, Result (*Handler)(Context&, Args...)>
struct TBoundCall<Handler> {
  // What the callback's keeper calls, with the context it was given.
  static Result Call(void* context, Args... args) { return Handler(*static_cast<Context*>(context), args...); }
  // Sets a callback's two fields so that it calls Handler with `target`.
  template <typename Function>
  static void Bind(Function& function, void*& context, Context& target) {
    function = &Call;
    context = &target;
  }
};
