// The registry's hex texts, key paths and name fold.
#include "FuzzCheck.h"
#include "files/TextCase.h"
#include "registry/KeyPath.h"
#include "registry/NameFold.h"
#include "registry/Registry.h"
#include "registry/clsRegistryAccess.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Bytes to hex text and back are the same bytes; such text is always valid.
    const std::string hex = clsRegistryAccess::BinToStr(text);
    FUZZ_CHECK(hex.size() == 3 * text.size());
    FUZZ_CHECK(clsRegistryAccess::StrToBin(std::string_view(hex)) == text);
    FUZZ_CHECK(clsRegistryAccess::isBinValid(hex) == !text.empty());

    // Valid hex text of an even number of digits comes back as the same digits.
    std::string cleaned(text);
    const std::string bytes = clsRegistryAccess::StrToBin(cleaned);
    FUZZ_CHECK(cleaned.find(' ') == std::string::npos);
    FUZZ_CHECK(bytes.size() <= cleaned.size() / 2 + 1);
    if (clsRegistryAccess::isBinValid(text) && cleaned.size() % 2 == 0) {
        std::string digits;
        for (char c : clsRegistryAccess::BinToStr(bytes)) {
            if (c != ' ')
                digits.push_back(c);
        }
        FUZZ_CHECK(digits == ToUpperAscii(cleaned));
    }

    // Key paths: a known root or none; a sub-key that splits is the names it was made of.
    const reg::ParsedKeyPath parsed = reg::ParseKeyPath(text);
    FUZZ_CHECK(parsed.root == reg::kNoKey || reg::IsRootKey(parsed.root));
    std::vector<std::string_view> names;
    if (reg::SplitSubKey(parsed.subKey, names)) {
        FUZZ_CHECK(names.size() <= reg::kMaxKeyDepth);
        std::string joined;
        for (std::string_view name : names) {
            FUZZ_CHECK(!name.empty() && name.find('\\') == std::string_view::npos);
            FUZZ_CHECK(reg::CountCharacters(name) <= reg::kMaxKeyNameLength);
            joined += (joined.empty() ? "" : "\\") + std::string(name);
        }
        std::string_view subKey = parsed.subKey;
        if (!subKey.empty() && subKey.back() == '\\')
            subKey.remove_suffix(1);
        FUZZ_CHECK(joined == subKey);
    }
    reg::WithLongRootNames(text);

    // The fold is settled after one pass, so a folded name finds itself.
    const std::string folded = reg::FoldName(text);
    FUZZ_CHECK(reg::FoldName(folded) == folded);
    return 0;
}
