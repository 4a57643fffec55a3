#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quorvel {

// A window as the language code sees it, so that applying a language and generating the
// file run without knowing the widget toolkit. The UI gives each window and control an
// adapter. Every call may fail (return false): the caller passes over that step.
class LocalizableControl {
public:
    virtual ~LocalizableControl() = default;

    virtual std::string Name() const = 0;
    // The classic type name: "Label", "CommandButton", "Frame", "Menu", "ListView"...
    virtual std::string TypeName() const = 0;
    // Index in its control array; unset when the control is not part of one.
    virtual std::optional<int> Index() const = 0;

    virtual bool Caption(std::string& text) const = 0;
    virtual bool SetCaption(const std::string& text) = 0;

    // Tabs of a tab strip or column headers of a list view, numbered from 1.
    virtual int ItemCount() const = 0;
    virtual bool ItemText(int n, std::string& text) const = 0;
    virtual bool SetItemText(int n, const std::string& text) = 0;

    virtual bool Refresh() = 0;
};

class LocalizableWindow {
public:
    virtual ~LocalizableWindow() = default;

    virtual std::string Name() const = 0;
    // Every control in design order, menu items and controls inside frames included.
    virtual void ForEachControl(const std::function<void(LocalizableControl&)>& visit) = 0;
};

}  // namespace quorvel
