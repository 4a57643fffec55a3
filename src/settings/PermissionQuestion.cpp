#include "settings/PermissionQuestion.h"

#include <cstdio>

namespace quorvel {
namespace {

PermissionQuestion& Installed() {
    static PermissionQuestion question;
    return question;
}

}  // namespace

PermissionQuestion SetPermissionQuestion(PermissionQuestion question) {
    PermissionQuestion previous = std::move(Installed());
    Installed() = std::move(question);
    return previous;
}

PermissionAnswer AskPermissionQuestion(const std::string& title, const std::string& text) {
    if (Installed())
        return Installed()(title, text);
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    return PermissionAnswer::Abort;
}

std::string PermissionDeniedText(std::string_view productName) {
    return std::string(productName) +
           " requires read/write access to the system registry and hard drive in order to run "
           "properly.  This user account does not have the proper permissions set.  As a result "
           "some or all of your settings may not be properly saved.  Please contact your system "
           "administrator or change the permission settings for this account.\r\n\r\n"
           "If you would like to prevent this error message from being displayed again, please "
           "press 'Ignore'.";
}

}  // namespace quorvel
