#include "app/about_addresses.h"

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
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

AboutAddresses AboutAddressesFor(const std::string& executable) {
    // bin/ sits in the prefix; a program in "/" has the empty prefix.
    const std::string prefix = FolderOf(FolderOf(executable));
    const std::string docs = prefix + "/share/doc/incubator-monitor";
    return {FileAddress(docs + "/README.md"), FileAddress(docs + "/chart/"),
            FileAddress(docs + "/serial/"), FileAddress(docs + "/tray/")};
}
