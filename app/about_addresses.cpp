#include "app/about_addresses.h"

#include <filesystem>
#include <system_error>

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The first of the two places that has the document (a folder ends in '/'), as an address;
// empty when neither has it.
std::string AddressOf(const std::string& document, const std::string& installed,
                      const std::string& source_tree) {
    const bool folder = !document.empty() && document.back() == '/';
    for (const std::string& root : {installed, source_tree}) {
        if (root.empty()) continue;
        const std::string path = root + "/" + document;
        std::error_code error;
        const bool there = folder ? std::filesystem::is_directory(path, error)
                                  : std::filesystem::is_regular_file(path, error);
        if (there) return FileAddress(path);
    }
    return {};
}

}  // namespace

std::string FileAddress(const std::string& path) {
    std::string address = "file://";
    for (const char c : path) {
        if (c == '%')
            address += "%25";
        else if (c == '#')
            address += "%23";
        else if (c == '?')
            address += "%3F";
        else
            address += c;
    }
    return address;
}

AboutAddresses AboutAddressesFor(const std::string& executable, const std::string& source_tree) {
    // bin/ sits in the prefix; a program in "/" has the empty prefix.
    const std::string docs = FolderOf(FolderOf(executable)) + "/share/doc/incubator-monitor";
    return {AddressOf("README.md", docs, source_tree), AddressOf("chart/", docs, source_tree),
            AddressOf("serial/", docs, source_tree), AddressOf("tray/", docs, source_tree)};
}

AboutAddresses AboutAddressesFor(const std::string& executable) {
    return AboutAddressesFor(executable, INCUBATOR_SOURCE_DIR);
}
