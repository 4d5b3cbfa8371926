#pragma once

/**
 * The answers a question can get and the buttons that offer them: the messages interface
 * asks with them, and a core that needs a decision receives one through its own interface.
 */
enum class Answer : unsigned {
    None = 0,
    Yes = 1 << 0,
    No = 1 << 1,
    Ok = 1 << 2,
    Cancel = 1 << 3,
    Abort = 1 << 4,
    Retry = 1 << 5,
    Ignore = 1 << 6,
    NoToAll = 1 << 7,
    YesToAll = 1 << 8,
};

/** A set of buttons for AskConfirm. */
using Buttons = unsigned;
constexpr Buttons operator|(Answer a, Answer b) {
    return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
constexpr Buttons operator|(Buttons a, Answer b) {
    return a | static_cast<unsigned>(b);
}
constexpr Buttons buttons(Answer a) {
    return static_cast<unsigned>(a);
}
