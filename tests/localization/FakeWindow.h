#pragma once

#include "localization/LocalizableWindow.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::test {

// A window of plain controls for driving the language code without a toolkit.
class FakeControl : public LocalizableControl {
public:
    FakeControl(std::string name, std::string type, std::string text,
                std::optional<int> index = std::nullopt)
        : caption(std::move(text)),
          m_name(std::move(name)),
          m_type(std::move(type)),
          m_index(index) {}

    std::string Name() const override { return m_name; }
    std::string TypeName() const override { return m_type; }
    std::optional<int> Index() const override { return m_index; }
    bool Caption(std::string& text) const override {
        text = caption;
        return true;
    }
    bool SetCaption(const std::string& text) override {
        caption = text;
        return true;
    }
    int ItemCount() const override { return int(items.size()); }
    bool ItemText(int n, std::string& text) const override {
        text = items.at(std::size_t(n - 1));
        return true;
    }
    bool SetItemText(int n, const std::string& text) override {
        items.at(std::size_t(n - 1)) = text;
        return true;
    }
    bool Refresh() override {
        ++refreshes;
        return true;
    }

    std::string caption;
    std::vector<std::string> items;
    int refreshes = 0;

private:
    std::string m_name;
    std::string m_type;
    std::optional<int> m_index;
};

class FakeWindow : public LocalizableWindow {
public:
    explicit FakeWindow(std::string name) : m_name(std::move(name)) {}

    FakeControl& Add(std::string name, std::string type, std::string caption,
                     std::optional<int> index = std::nullopt) {
        controls.push_back(std::make_unique<FakeControl>(std::move(name), std::move(type),
                                                         std::move(caption), index));
        return *controls.back();
    }
    std::string Name() const override { return m_name; }
    void ForEachControl(const std::function<void(LocalizableControl&)>& visit) override {
        for (auto& control : controls)
            visit(*control);
    }

    std::vector<std::unique_ptr<FakeControl>> controls;

private:
    std::string m_name;
};

}  // namespace quorvel::test
