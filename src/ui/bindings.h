// What a window does when one of its controls notifies it or one of its timers fires. Each window keeps one
// table of each, declared with its handlers; the base window's router looks the message up there, so adding a
// button means an id, a layout entry and one line here.
#pragma once

#include <windows.h>

#include <span>

namespace korimo::ui {

class Window;

// A control, or a run of controls with consecutive ids (a control array such as Check1(0..24)), and the
// notification code that runs the handler. A handler that takes an int gets the control's index in the run.
struct CommandBinding {
    int first;
    int last;
    int code;
    void (*run)(Window& window, int index);
    bool Matches(int id, int notification) const { return notification == code && id >= first && id <= last; }
};

struct TimerBinding {
    UINT_PTR id;
    void (*run)(Window& window);
};

namespace detail {
template <class> struct HandlerOf;
template <class Form, class Result> struct HandlerOf<Result (Form::*)()> {
    using Owner = Form;
    static constexpr bool takesIndex = false;
    using Index = int;
};
template <class Form, class Result, class Argument> struct HandlerOf<Result (Form::*)(Argument)> {
    using Owner = Form;
    static constexpr bool takesIndex = true;
    using Index = Argument;
};

// What a handler returns (whether a write succeeded, say) is for its other callers.
template <auto Handler> void Run(Window& window, int index) {
    using Of = HandlerOf<decltype(Handler)>;
    auto& form = static_cast<typename Of::Owner&>(window);
    if constexpr (Of::takesIndex)
        (form.*Handler)(static_cast<typename Of::Index>(index));
    else
        (form.*Handler)();
}
} // namespace detail

// STN_CLICKED is 0 as well, so the default also binds a clickable label or picture.
template <auto Handler> constexpr CommandBinding On(int id, int code = BN_CLICKED) {
    return {id, id, code, &detail::Run<Handler>};
}
template <auto Handler> constexpr CommandBinding OnEach(int first, int last, int code = BN_CLICKED) {
    return {first, last, code, &detail::Run<Handler>};
}
template <auto Handler> constexpr TimerBinding Every(UINT_PTR id) {
    return {id, [](Window& window) { detail::Run<Handler>(window, 0); }};
}

} // namespace korimo::ui
