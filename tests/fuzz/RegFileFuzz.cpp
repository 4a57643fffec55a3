// REGEDIT4 files: any file imported into fresh hives, exported, imported into fresh hives
// again and exported again gives the same values in the same keys: nothing the export
// writes reads back as something else. (A key without values is not made by an import.)
#include "FuzzCheck.h"
#include "FuzzTempFolder.h"
#include "files/FileIo.h"
#include "registry/KeyPath.h"
#include "registry/NameFold.h"
#include "registry/Registry.h"
#include "registry/RegistryTypes.h"
#include "registry/clsRegistryAccess.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quorvel;

namespace {

void FreshHives() {
    reg::Registry::Process().CloseHives();
    for (const char* name :
         {"user.hive", "user.hive-journal", "machine.hive", "machine.hive-journal"}) {
        std::filesystem::remove(fuzz::TempFolder() / name);
    }
}

// The keys that have values, each followed by its value lines.
std::vector<std::string> KeysWithValues(const std::string& exported) {
    std::vector<std::string> sections;
    std::string key;
    std::size_t start = 0;
    for (std::size_t end; (end = exported.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = exported.substr(start, end - start);
        if (!line.empty() && line.front() == '[') {
            // The key it names, which may be written in other letters the second time.
            const reg::ParsedKeyPath parsed =
                reg::ParseKeyPath(std::string_view(line).substr(1, line.size() - 2));
            key = std::to_string(parsed.root) + "\\" + reg::FoldName(parsed.subKey);
        } else if (!line.empty() && line != "REGEDIT4") {
            if (!key.empty()) {
                sections.push_back(key);
                key.clear();
            }
            sections.push_back(line);
        }
    }
    return sections;
}

// Every root, exported with its sub-keys, one after the other.
std::string ExportAll() {
    clsRegistryAccess reg;
    std::string all;
    for (const reg::RootName& root : reg::kRootNames) {
        const auto file = fuzz::TempFolder() / "out.reg";
        std::filesystem::remove(file);
        reg.ExportToReg(root.shortName, file, true);
        std::string bytes, error;
        ReadFileAtMost(file, std::size_t{1} << 26, bytes, error);
        all += bytes;
    }
    return all;
}

void Import(const std::string& bytes) {
    const auto file = fuzz::TempFolder() / "in.reg";
    std::string error;
    FUZZ_CHECK(WriteFileAtomically(file, bytes, error));
    clsRegistryAccess().ImportFromReg(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("QUORVEL_USER_HIVE", (fuzz::TempFolder() / "user.hive").c_str(), 1);
    ::setenv("QUORVEL_MACHINE_HIVE", (fuzz::TempFolder() / "machine.hive").c_str(), 1);
    reg::Registry::Process().SetDamagedUserHivePolicy(reg::DamagedHivePolicy::Report);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Files always start with the header, or nothing would be imported at all.
    std::string input = "REGEDIT4\r\n";
    input.append(reinterpret_cast<const char*>(data), size);

    FreshHives();
    Import(input);
    const std::string first = ExportAll();
    FreshHives();
    Import(first);
    const std::string second = ExportAll();
    if (first != second) {
        std::fprintf(stderr, "first export:\n%s\nsecond export:\n%s\n", first.c_str(),
                     second.c_str());
    }
    FUZZ_CHECK(KeysWithValues(first) == KeysWithValues(second));
    return 0;
}
