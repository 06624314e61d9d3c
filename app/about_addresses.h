#pragma once
// The addresses the about window links to: this program's own documents, README.md and the
// chart, serial and tray components' interfaces in folders of those names. An installed
// program has them in <prefix>/share/doc/incubator-monitor; one run from its build tree or
// from a copy of it links them in the source tree it was built from. A document found in
// neither place has no address (empty), so that no link leads nowhere.

#include <string>

struct AboutAddresses {
    std::string home;
    std::string chart;
    std::string serial;
    std::string tray;
    friend bool operator==(const AboutAddresses&, const AboutAddresses&) = default;
};

// For the program at `executable` (<prefix>/bin/incubator-monitor) built from `source_tree`.
AboutAddresses AboutAddressesFor(const std::string& executable, const std::string& source_tree);
// The same for the source tree this program was built from.
AboutAddresses AboutAddressesFor(const std::string& executable);

// A file:// address for an absolute path; the characters that would end the path ('#', '?')
// or start an escape ('%') are escaped, the rest is kept readable.
std::string FileAddress(const std::string& path);
