#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quorvel {

enum class PermissionAnswer { Abort, Retry, Ignore };

// Asks the user what to do about a machine-wide setting that could not be saved. The
// window layer answers with an Abort/Retry/Ignore message box; tests answer by script.
using PermissionQuestion =
    std::function<PermissionAnswer(const std::string& title, const std::string& text)>;

inline constexpr std::string_view kPermissionDeniedTitle = "Permission Denied";

// Installs the question; returns the one installed before. Without one, the warning goes to
// the standard error stream and the answer is Abort.
PermissionQuestion SetPermissionQuestion(PermissionQuestion question);
PermissionAnswer AskPermissionQuestion(const std::string& title, const std::string& text);

// The warning's text, with the product name in front.
std::string PermissionDeniedText(std::string_view productName);

}  // namespace quorvel
