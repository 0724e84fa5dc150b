#pragma once
// What the window probe saw on screen at one moment: the visible windows of the program and their controls.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::e2e {

/** A label, button, text box or combo box as the probe saw it; geometry in global screen pixels. */
struct Control {
    std::string className;
    std::string name; ///< object name, such as "dataDirectory"
    std::string text; ///< caption of a button or label (with its "&"), text of a box
    int x = 0, y = 0, width = 0, height = 0;
    bool focus = false;
    bool down = false; ///< a button drawn as pressed
};

/** A visible top-level window. */
struct Window {
    std::string id; ///< the X window id: a new message box has a new one
    std::string title, name, className;
    bool active = false;
    bool modal = false;
    std::vector<Control> controls;

    /** The control of this object name, else the first whose text is exactly key (a button's caption). */
    const Control* control(std::string_view key) const;
    /** Whether a control shows exactly this text. */
    bool shows(std::string_view text) const;
};

/** One snapshot; seq grows by one with each snapshot the probe writes. */
struct Snapshot {
    long seq = -1;
    std::vector<Window> windows;
    bool busy = false; ///< a window of the program, shown or hidden, has the hourglass pointer

    /** Parses the probe's JSON; an empty snapshot (seq -1) when it cannot. */
    static Snapshot parse(const std::string& json);

    /** A window whose title, object name or class is key and that shows text (any text when empty). */
    const Window* window(std::string_view key, std::string_view text = {}) const;
    /** The text of a control of a window, if both are on screen. */
    std::optional<std::string> text(std::string_view window, std::string_view control) const;
    /** Every window with its state and the texts of its controls, one line each, for a failure message. */
    std::string describe() const;
};

} // namespace qb::e2e
