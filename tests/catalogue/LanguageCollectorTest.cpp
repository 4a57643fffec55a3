#include "catalogue/LanguageCollector.h"

#include <gtest/gtest.h>

#include <random>

#include "catalogue/FoldedText.h"

namespace quorvel {
namespace {

// The rule as plainly as it can be written: a text of names each followed by "|", and a
// substring test on the folded text.
std::vector<std::string> ReferenceNames(const std::vector<std::string>& types) {
    std::string collected;
    const auto add = [&](const std::string& candidate) {
        if (candidate.empty())
            return;
        if (FoldText1252(collected).find(FoldText1252(candidate + "|")) == std::string::npos)
            collected += candidate + "|";
    };
    for (const auto& type : types) {
        if (type.find('/') == std::string::npos) {
            add(type);
            continue;
        }
        std::size_t start = 0;
        for (std::size_t slash; (slash = type.find('/', start)) != std::string::npos;
             start = slash + 1)
            add(type.substr(start, slash - start));
        add(type.substr(start));
    }
    std::vector<std::string> names;
    for (std::size_t start = 0, bar; (bar = collected.find('|', start)) != std::string::npos;
         start = bar + 1)
        names.push_back(collected.substr(start, bar - start));
    return names;
}

TEST(LanguageCollectorTest, CollectsWhatThePlainRuleCollects) {
    std::mt19937 random(5);
    // A tiny alphabet with letter case and Windows-1252 capitals, so that names end one
    // another often.
    const std::string alphabet = "aAbB/\xC9\xE9 ";
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> types(1 + random() % 150);
        for (auto& type : types) {
            const std::size_t length = random() % 7;
            for (std::size_t i = 0; i < length; ++i)
                type.push_back(alphabet[random() % alphabet.size()]);
        }
        LanguageCollector collector;
        for (const auto& type : types)
            collector.AddTypeField(type);
        const auto expected = ReferenceNames(types);
        ASSERT_EQ(collector.Names(), expected) << "round " << round;
        for (const auto& name : expected) {
            EXPECT_TRUE(collector.ContainsEntry(name));
            EXPECT_TRUE(collector.ContainsEntry(name.substr(name.size() / 2)));
        }
    }
    LanguageCollector collector;
    collector.AddTypeField("Old English/Deutsch");
    EXPECT_TRUE(collector.ContainsEntry("english"));
    EXPECT_TRUE(collector.ContainsEntry("English|Deutsch"));  // the text itself is searched
    EXPECT_FALSE(collector.ContainsEntry("Old"));
}

}  // namespace
}  // namespace quorvel
